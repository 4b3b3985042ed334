// An independent reader of the output-program format, for tests: finds the
// container header after the stub image, parses its fields, recomputes the
// total size and the CRC-16, splits the settings block into records and
// cuts out the uninstaller cabinet and the archive. It shares no code with
// the builder or the extractor.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace containerreader {

const size_t kHeaderSize = 92;

struct Header {
  uint32_t flagsA = 0;
  uint32_t flagsB = 0;
  uint32_t settingsSize = 0;
  uint32_t totalSize = 0;
  uint16_t crc16 = 0;
  uint32_t uninstCabOffset = 0;
  uint32_t uninstCabSize = 0;
  uint32_t archiveOffset = 0;
  uint32_t backScreenColor = 0;
  uint16_t savePathRootKey = 0;
  uint16_t saveExplainShowFlagRootKey = 0;
  uint16_t overWriteMethod = 0;
  int32_t bootableOS = 0;
  uint32_t cabTimeZone = 0;
  uint16_t silentizeSwitch[20] = {};  // as stored, all 20 units
  std::wstring SilentizeSwitchText() const;
};

// One settings record: its tag, the number of a 'p' record, its strings.
struct Record {
  uint16_t tag = 0;
  bool hasNumber = false;
  uint16_t number = 0;
  std::vector<std::wstring> fields;
};

struct Container {
  size_t headerOffset = 0;       // H: size of the stub image
  Header header;
  std::vector<Record> records;   // without the final 0 tag
  bool sizeMatches = false;      // file size is TotalSize or TotalSize + 1
  uint16_t computedCrc = 0;      // over the file as the extractor checks it
  bool crcMatches = false;
  std::vector<uint8_t> uninstallerCab;  // as stored (signature zeroed)
  std::vector<uint8_t> archive;         // from ArchiveOffset to the end
  // Records with this tag, in order.
  std::vector<const Record*> Find(char tag) const;
  const Record* First(char tag) const;
};

// CRC-16/ARC (reflected 0xA001, initial value given, no final xor).
uint16_t Crc16(const uint8_t* data, size_t size, uint16_t crc = 0);

// Number of strings that follow a tag; 's' records carry two more when
// they are the first of their run.
size_t FieldCount(uint16_t tag, bool firstOfRun);

// Parses a settings block of exactly size bytes that ends with its 0 tag.
bool ParseSettingsBlock(const uint8_t* data, size_t size, std::vector<Record>& records,
                        std::string* error);

// Parses a whole output file held in memory. False with a reason for
// anything that does not fit the format (no header, sizes past the end, a
// malformed block); a wrong CRC or total size is reported in the result,
// not as failure.
bool ReadContainer(const std::vector<uint8_t>& file, Container& out, std::string* error);
bool ReadContainerFile(const std::wstring& path, Container& out, std::string* error);

// Writes `to` over the first `from` in the archive of an output file and
// sets its CRC again: a package as no builder makes it, for tests of the
// installer's own defences. Both texts have the same length; false when
// `from` is not there or the file cannot be read or written.
bool ReplaceInArchive(const std::wstring& path, const std::string& from, const std::string& to);

// The offset of the first "lsfx" in the file (0 to size - 5), or npos.
size_t FindMarker(const std::vector<uint8_t>& file);

}  // namespace containerreader
