#include "ContainerReader.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "TestSupport.h"

namespace containerreader {

namespace {

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

void Fail(std::string* error, const std::string& text) {
  if (error) *error = text;
}

}  // namespace

std::wstring Header::SilentizeSwitchText() const {
  std::wstring text;
  for (uint16_t unit : silentizeSwitch) {
    if (!unit) break;
    text.push_back(static_cast<wchar_t>(unit));
  }
  return text;
}

std::vector<const Record*> Container::Find(char tag) const {
  std::vector<const Record*> found;
  for (const Record& record : records)
    if (record.tag == static_cast<uint16_t>(tag)) found.push_back(&record);
  return found;
}

const Record* Container::First(char tag) const {
  for (const Record& record : records)
    if (record.tag == static_cast<uint16_t>(tag)) return &record;
  return nullptr;
}

uint16_t Crc16(const uint8_t* data, size_t size, uint16_t crc) {
  static uint16_t table[256];
  static bool ready = false;
  if (!ready) {
    for (int i = 0; i < 256; ++i) {
      uint16_t value = static_cast<uint16_t>(i);
      for (int bit = 0; bit < 8; ++bit) value = (value & 1) ? (value >> 1) ^ 0xA001 : value >> 1;
      table[i] = value;
    }
    ready = true;
  }
  for (size_t i = 0; i < size; ++i) crc = (crc >> 8) ^ table[(crc ^ data[i]) & 0xFF];
  return crc;
}

size_t FieldCount(uint16_t tag, bool firstOfRun) {
  switch (tag) {
    case '4':
    case 'H':
    case 'l':
      return 4;
    case 'u':
      return 5;
    case 'e':
    case 'a':
      return 3;
    case 's':
      return firstOfRun ? 13 : 11;
    default:
      return 1;  // every other tag, 'p' after its number
  }
}

bool ParseSettingsBlock(const uint8_t* data, size_t size, std::vector<Record>& records,
                        std::string* error) {
  records.clear();
  size_t pos = 0;
  uint16_t previous = 0;
  for (;;) {
    if (pos + 2 > size) {
      Fail(error, "settings block ends inside a tag at byte " + std::to_string(pos));
      return false;
    }
    Record record;
    record.tag = U16(data + pos);
    pos += 2;
    if (record.tag == 0) break;
    if (record.tag == 'p') {
      if (pos + 2 > size) {
        Fail(error, "settings block ends inside the number of 'p'");
        return false;
      }
      record.hasNumber = true;
      record.number = U16(data + pos);
      pos += 2;
    }
    const size_t count = FieldCount(record.tag, previous != record.tag);
    for (size_t f = 0; f < count; ++f) {
      std::wstring text;
      for (;;) {
        if (pos + 2 > size) {
          Fail(error, "unterminated string in record '" +
                          std::string(1, static_cast<char>(record.tag)) + "'");
          return false;
        }
        uint16_t unit = U16(data + pos);
        pos += 2;
        if (!unit) break;
        text.push_back(static_cast<wchar_t>(unit));
      }
      record.fields.push_back(text);
    }
    previous = record.tag;
    records.push_back(record);
  }
  if (pos != size) {
    Fail(error, "settings block has " + std::to_string(size - pos) + " bytes after its 0 tag");
    return false;
  }
  return true;
}

size_t FindMarker(const std::vector<uint8_t>& file) {
  static const uint8_t marker[4] = {'l', 's', 'f', 'x'};
  if (file.size() < 5) return std::string::npos;
  for (size_t i = 0; i + 5 <= file.size(); ++i)
    if (std::memcmp(file.data() + i, marker, 4) == 0) return i;
  return std::string::npos;
}

bool ReadContainer(const std::vector<uint8_t>& file, Container& out, std::string* error) {
  out = Container();
  const size_t h = FindMarker(file);
  if (h == std::string::npos || h == 0) {
    Fail(error, h == 0 ? "marker at offset 0" : "no container marker");
    return false;
  }
  if (file.size() - h < kHeaderSize) {
    Fail(error, "header runs past the end of the file");
    return false;
  }
  out.headerOffset = h;
  const uint8_t* p = file.data() + h;
  Header& hd = out.header;
  hd.flagsA = U32(p + 0x04);
  hd.flagsB = U32(p + 0x08);
  hd.settingsSize = U32(p + 0x0C);
  hd.totalSize = U32(p + 0x10);
  hd.crc16 = U16(p + 0x14);
  hd.uninstCabOffset = U32(p + 0x16);
  hd.uninstCabSize = U32(p + 0x1A);
  hd.archiveOffset = U32(p + 0x1E);
  hd.backScreenColor = U32(p + 0x22);
  hd.savePathRootKey = U16(p + 0x26);
  hd.saveExplainShowFlagRootKey = U16(p + 0x28);
  hd.overWriteMethod = U16(p + 0x2A);
  hd.bootableOS = static_cast<int32_t>(U32(p + 0x2C));
  hd.cabTimeZone = U32(p + 0x30);
  for (int i = 0; i < 20; ++i) hd.silentizeSwitch[i] = U16(p + 0x34 + 2 * i);

  const uint64_t size = file.size();
  out.sizeMatches = size == hd.totalSize || size == static_cast<uint64_t>(hd.totalSize) + 1;
  const size_t covered = (size == static_cast<uint64_t>(hd.totalSize) + 1) ? file.size() - 1
                                                                            : file.size();
  std::vector<uint8_t> zeroedHeader(p, p + kHeaderSize);
  zeroedHeader[0x14] = zeroedHeader[0x15] = 0;
  uint16_t crc = Crc16(file.data(), h);
  crc = Crc16(zeroedHeader.data(), kHeaderSize, crc);
  crc = Crc16(file.data() + h + kHeaderSize, covered - h - kHeaderSize, crc);
  out.computedCrc = crc;
  out.crcMatches = crc == hd.crc16;

  const uint64_t blockStart = h + kHeaderSize;
  if (blockStart + hd.settingsSize > size) {
    Fail(error, "settings block runs past the end of the file");
    return false;
  }
  if (!ParseSettingsBlock(file.data() + blockStart, hd.settingsSize, out.records, error))
    return false;
  const uint64_t cabStart = blockStart + hd.settingsSize;
  if (cabStart + hd.uninstCabSize > size) {
    Fail(error, "uninstaller cabinet runs past the end of the file");
    return false;
  }
  out.uninstallerCab.assign(file.begin() + cabStart, file.begin() + cabStart + hd.uninstCabSize);
  const uint64_t archiveStart = static_cast<uint64_t>(h) + hd.archiveOffset;
  if (archiveStart > size) {
    Fail(error, "archive offset lies past the end of the file");
    return false;
  }
  out.archive.assign(file.begin() + archiveStart, file.end());
  return true;
}

bool ReadContainerFile(const std::wstring& path, Container& out, std::string* error) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    Fail(error, "cannot open the file");
    return false;
  }
  LARGE_INTEGER size{};
  std::vector<uint8_t> bytes;
  bool ok = GetFileSizeEx(file, &size) && size.QuadPart < (1LL << 32);
  if (ok) {
    bytes.resize(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (ok && done < bytes.size()) {
      DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 24));
      DWORD got = 0;
      ok = ReadFile(file, bytes.data() + done, chunk, &got, nullptr) && got == chunk;
      done += got;
    }
  }
  CloseHandle(file);
  if (!ok) {
    Fail(error, "cannot read the file");
    return false;
  }
  return ReadContainer(bytes, out, error);
}

bool ReplaceInArchive(const std::wstring& path, const std::string& from, const std::string& to) {
  std::vector<uint8_t> file;
  Container c;
  if (from.size() != to.size() || from.empty() || !testsupport::ReadFileBytes(path, file) ||
      !ReadContainer(file, c, nullptr))
    return false;
  const size_t archiveStart = c.headerOffset + c.header.archiveOffset;
  // Compared as bytes: a char above 0x7F is negative.
  const auto found = std::search(file.begin() + archiveStart, file.end(), from.begin(), from.end(),
                                 [](uint8_t a, char b) { return a == static_cast<uint8_t>(b); });
  if (found == file.end()) return false;
  std::copy(to.begin(), to.end(), found);
  uint8_t* crc = file.data() + c.headerOffset + 0x14;
  crc[0] = crc[1] = 0;
  const uint16_t value = Crc16(file.data(), file.size());
  crc[0] = static_cast<uint8_t>(value);
  crc[1] = static_cast<uint8_t>(value >> 8);
  return testsupport::WriteFileBytes(path, file);
}

}  // namespace containerreader
