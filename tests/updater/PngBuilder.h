// PNG files made byte by byte for the tests: any header, chunks in any
// order, so that broken and hostile images can be made as easily as good
// ones.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace updatertest {

struct PngChunk {
  std::string type;
  std::string data;
};

// One chunk with its length and CRC.
std::string PngChunkBytes(const std::string& type, const std::string& data);
// The IHDR data.
std::string PngHeader(uint32_t width, uint32_t height, int depth, int colorType);
// Scan lines (each without its filter byte) compressed as IDAT data.
std::string PngImageData(const std::vector<std::string>& rows);
// Signature, IHDR, the extra chunks, IDAT (when rows are given) and IEND.
std::string PngFile(uint32_t width, uint32_t height, int depth, int colorType,
                    const std::vector<std::string>& rows,
                    const std::vector<PngChunk>& extra = {});

// A 32 x 16 RGBA icon whose pixel (x, y) is (r = x * 8, g = y * 16, b = 200,
// a = 255 - x * 4).
std::string RgbaIcon();

}  // namespace updatertest
