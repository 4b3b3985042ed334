// A small cabinet writer for tests that need cabinets the real writer would
// never make: arbitrary member names (hostile paths, ANSI or UTF-8 bytes),
// attributes and DOS times, parts of a set. Everything goes into one folder
// of stored (uncompressed) data blocks without checksums, or of MSZIP
// blocks, which the cabinet library reads like any other cabinet.
//
//   testsupport::TestCabinet cab;
//   cab.Add(L"docs\\readme.txt", "hello");          // UTF-8 name, attribute 0x80
//   cab.AddRaw("..\\evil.txt", "x", 0x20);           // bytes as stored
//   cab.WriteTo(dir / L"hostile.cab");
//
// Also holds small readers of the fixed cabinet structures, for checking
// what the real writer produced.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

// DOS date and time fields as a cabinet stores them.
uint16_t DosDate(int year, int month, int day);
uint16_t DosTime(int hour, int minute, int second);

struct TestCabinetMember {
  std::string nameBytes;      // stored as is, NUL added
  std::vector<uint8_t> data;
  uint16_t attributes;        // CAB attributes; 0x80 marks a UTF-8 name
  uint16_t date;
  uint16_t time;
};

class TestCabinet {
 public:
  // Default DOS time of added members: 2020-06-15 12:00:00.
  static const uint16_t kDefaultDate;
  static const uint16_t kDefaultTime;

  // A member whose name is stored in UTF-8 with 0x80 added to the attributes.
  TestCabinet& Add(const std::wstring& name, const std::string& content,
                   uint16_t attributes = 0x20, uint16_t date = kDefaultDate,
                   uint16_t time = kDefaultTime);
  // A member whose name bytes and attributes are stored exactly as given.
  TestCabinet& AddRaw(const std::string& nameBytes, const std::string& content,
                      uint16_t attributes = 0x20, uint16_t date = kDefaultDate,
                      uint16_t time = kDefaultTime);
  TestCabinet& AddMember(const TestCabinetMember& member);
  // MSZIP data: each data block one deflate stream of stored blocks behind
  // the "CK" signature, with its checksum.
  TestCabinet& UseMszip();
  // One cabinet of a set: the first member continues from a previous
  // cabinet, the last one into a next (its declared size is larger than
  // the data held here). The header names the other cabinet.
  TestCabinet& ContinueFrom(const std::string& previousCabinet);
  TestCabinet& ContinueInto(const std::string& nextCabinet);

  const std::vector<TestCabinetMember>& members() const { return members_; }

  // The cabinet's bytes ("MSCF" first).
  std::vector<uint8_t> Build() const;
  // Where the data block of that index starts in Build()'s bytes.
  size_t DataBlockOffset(size_t index) const;
  // Writes `prefix`, then the cabinet, then `suffix` to the file.
  bool WriteTo(const std::wstring& path, const std::vector<uint8_t>& prefix = {},
               const std::vector<uint8_t>& suffix = {}) const;

 private:
  std::vector<TestCabinetMember> members_;
  bool mszip_ = false;
  std::string previous_;
  std::string next_;
};

// Readers of a cabinet's fixed structures (no reserved areas assumed when
// the header's reserve flag is clear). False when the bytes are too short or
// do not start with "MSCF".
struct CabinetSummary {
  uint32_t cabinetSize;
  uint16_t folderCount;
  uint16_t fileCount;
  uint16_t setId;
  std::vector<uint16_t> folderCompression;  // typeCompress of each CFFOLDER
  std::vector<uint16_t> folderBlocks;       // cCFData of each CFFOLDER
};
bool ReadCabinetSummary(const std::vector<uint8_t>& cabinet, CabinetSummary* summary);

}  // namespace testsupport
