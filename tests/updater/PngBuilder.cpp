#include "PngBuilder.h"

#include <zlib.h>

namespace updatertest {

namespace {

std::string BigEndian(uint32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((value >> (24 - 8 * i)) & 0xff);
  return bytes;
}

}  // namespace

std::string PngChunkBytes(const std::string& type, const std::string& data) {
  const std::string body = type + data;
  const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()));
  return BigEndian(static_cast<uint32_t>(data.size())) + body + BigEndian(static_cast<uint32_t>(crc));
}

std::string PngHeader(uint32_t width, uint32_t height, int depth, int colorType) {
  std::string header = BigEndian(width) + BigEndian(height);
  header += static_cast<char>(depth);
  header += static_cast<char>(colorType);
  header += std::string(3, '\0');
  return header;
}

std::string PngImageData(const std::vector<std::string>& rows) {
  std::string raw;
  for (const std::string& row : rows) raw += '\0' + row;
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  std::string packed(size, '\0');
  compress2(reinterpret_cast<Bytef*>(&packed[0]), &size, reinterpret_cast<const Bytef*>(raw.data()),
            static_cast<uLong>(raw.size()), 9);
  packed.resize(size);
  return packed;
}

std::string PngFile(uint32_t width, uint32_t height, int depth, int colorType,
                    const std::vector<std::string>& rows, const std::vector<PngChunk>& extra) {
  std::string file("\x89PNG\r\n\x1a\n", 8);
  file += PngChunkBytes("IHDR", PngHeader(width, height, depth, colorType));
  for (const PngChunk& chunk : extra) file += PngChunkBytes(chunk.type, chunk.data);
  if (!rows.empty()) file += PngChunkBytes("IDAT", PngImageData(rows));
  file += PngChunkBytes("IEND", "");
  return file;
}

std::string RgbaIcon() {
  std::vector<std::string> rows;
  for (int y = 0; y < 16; ++y) {
    std::string row;
    for (int x = 0; x < 32; ++x) {
      row += static_cast<char>(x * 8);
      row += static_cast<char>(y * 16);
      row += static_cast<char>(200);
      row += static_cast<char>(255 - x * 4);
    }
    rows.push_back(row);
  }
  return PngFile(32, 16, 8, 6, rows);
}

}  // namespace updatertest
