#include "PackageMaker.h"

#include <cstring>

#include "CabEncoder.h"
#include "ContainerReader.h"
#include "TestSupport.h"

namespace stubtest {

std::vector<uint8_t> MakeCabinet(const std::vector<std::pair<std::wstring, std::string>>& members) {
  testsupport::TempDir dir(L"cab");
  CCabEncoder encoder;
  int i = 0;
  for (const auto& member : members) {
    std::wstring source = dir / (L"m" + std::to_wstring(i++));
    testsupport::WriteFileBytes(source, member.second.data(), member.second.size());
    encoder.AddFile(source.c_str(), member.first.c_str());
  }
  std::wstring cab = dir / L"out.cab";
  std::vector<uint8_t> bytes;
  if (encoder.CreateCabinet(cab.c_str())) testsupport::ReadFileBytes(cab, bytes);
  return bytes;
}

std::vector<uint8_t> Assemble(Package p) {
  SfxContainerHeader& h = p.header;
  h.Magic = kSfxContainerMagic;
  h.SettingsSize = static_cast<uint32_t>(p.block.size());
  h.UninstCabSize = static_cast<uint32_t>(p.uninstCab.size());
  h.UninstCabOffset = p.uninstCab.empty() ? 0 : kSfxContainerHeaderSize + h.SettingsSize;
  h.ArchiveOffset = kSfxContainerHeaderSize + h.SettingsSize + h.UninstCabSize;
  h.TotalSize = static_cast<uint32_t>(p.image.size() + h.ArchiveOffset + p.archive.size());
  h.Crc16 = 0;
  std::vector<uint8_t> file = p.image;
  const uint8_t* raw = reinterpret_cast<const uint8_t*>(&h);
  file.insert(file.end(), raw, raw + kSfxContainerHeaderSize);
  file.insert(file.end(), p.block.begin(), p.block.end());
  file.insert(file.end(), p.uninstCab.begin(), p.uninstCab.end());
  file.insert(file.end(), p.archive.begin(), p.archive.end());
  FixCrc(file, p.image.size());
  return file;
}

void FixCrc(std::vector<uint8_t>& file, size_t h) {
  file[h + 0x14] = 0;
  file[h + 0x15] = 0;
  uint32_t total;
  memcpy(&total, &file[h + 0x10], 4);
  size_t end = total < file.size() ? total : file.size();
  uint16_t crc = containerreader::Crc16(file.data(), end);
  file[h + 0x14] = static_cast<uint8_t>(crc & 0xFF);
  file[h + 0x15] = static_cast<uint8_t>(crc >> 8);
}

Block& Block::U16(uint16_t v) {
  bytes_.push_back(static_cast<uint8_t>(v & 0xFF));
  bytes_.push_back(static_cast<uint8_t>(v >> 8));
  return *this;
}

Block& Block::Text(const std::wstring& text) {
  for (wchar_t c : text) U16(c);
  return U16(0);
}

std::vector<uint8_t> Block::End() {
  U16(0);
  return bytes_;
}

}  // namespace stubtest
