#include "TestCabinet.h"

#include "TestSupport.h"

namespace testsupport {

namespace {

const size_t kHeaderSize = 36;
const size_t kFolderSize = 8;
const size_t kFileFixedSize = 16;
const size_t kDataFixedSize = 8;
const size_t kBlockSize = 32768;

void Put16(std::vector<uint8_t>& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

uint16_t Get16(const std::vector<uint8_t>& in, size_t at) {
  return static_cast<uint16_t>(in[at] | (in[at + 1] << 8));
}

uint32_t Get32(const std::vector<uint8_t>& in, size_t at) {
  return static_cast<uint32_t>(in[at]) | (static_cast<uint32_t>(in[at + 1]) << 8) |
         (static_cast<uint32_t>(in[at + 2]) << 16) | (static_cast<uint32_t>(in[at + 3]) << 24);
}

}  // namespace

uint16_t DosDate(int year, int month, int day) {
  return static_cast<uint16_t>(((year - 1980) << 9) | (month << 5) | day);
}

uint16_t DosTime(int hour, int minute, int second) {
  return static_cast<uint16_t>((hour << 11) | (minute << 5) | (second / 2));
}

const uint16_t TestCabinet::kDefaultDate = DosDate(2020, 6, 15);
const uint16_t TestCabinet::kDefaultTime = DosTime(12, 0, 0);

TestCabinet& TestCabinet::Add(const std::wstring& name, const std::string& content,
                              uint16_t attributes, uint16_t date, uint16_t time) {
  return AddRaw(Narrow(name), content, static_cast<uint16_t>(attributes | 0x80), date, time);
}

TestCabinet& TestCabinet::AddRaw(const std::string& nameBytes, const std::string& content,
                                 uint16_t attributes, uint16_t date, uint16_t time) {
  TestCabinetMember member;
  member.nameBytes = nameBytes;
  member.data.assign(content.begin(), content.end());
  member.attributes = attributes;
  member.date = date;
  member.time = time;
  return AddMember(member);
}

TestCabinet& TestCabinet::AddMember(const TestCabinetMember& member) {
  members_.push_back(member);
  return *this;
}

TestCabinet& TestCabinet::UseMszip() {
  mszip_ = true;
  return *this;
}

TestCabinet& TestCabinet::ContinueFrom(const std::string& previousCabinet) {
  previous_ = previousCabinet;
  return *this;
}

TestCabinet& TestCabinet::ContinueInto(const std::string& nextCabinet) {
  next_ = nextCabinet;
  return *this;
}

namespace {

// The cabinet format's checksum of a data block.
uint32_t Checksum(const uint8_t* bytes, size_t count, uint32_t seed) {
  uint32_t sum = seed;
  size_t at = 0;
  for (; at + 4 <= count; at += 4)
    sum ^= static_cast<uint32_t>(bytes[at]) | (static_cast<uint32_t>(bytes[at + 1]) << 8) |
           (static_cast<uint32_t>(bytes[at + 2]) << 16) | (static_cast<uint32_t>(bytes[at + 3]) << 24);
  uint32_t tail = 0;
  switch (count - at) {
    case 3: tail |= static_cast<uint32_t>(bytes[at++]) << 16;  // fall through
    case 2: tail |= static_cast<uint32_t>(bytes[at++]) << 8;   // fall through
    case 1: tail |= bytes[at];
  }
  return sum ^ tail;
}

// The bytes a data block holds for one piece of the folder's data.
std::vector<uint8_t> BlockPayload(const uint8_t* data, size_t length, bool mszip) {
  std::vector<uint8_t> payload;
  if (mszip) {
    // "CK", then one final stored deflate block: LEN and its complement.
    payload = {'C', 'K', 0x01};
    Put16(payload, static_cast<uint16_t>(length));
    Put16(payload, static_cast<uint16_t>(~length));
  }
  payload.insert(payload.end(), data, data + length);
  return payload;
}

void PutText(std::vector<uint8_t>& out, const std::string& text) {
  out.insert(out.end(), text.begin(), text.end());
  out.push_back(0);
}

}  // namespace

std::vector<uint8_t> TestCabinet::Build() const {
  std::vector<uint8_t> data;
  for (const TestCabinetMember& member : members_)
    data.insert(data.end(), member.data.begin(), member.data.end());
  const size_t blocks = (data.size() + kBlockSize - 1) / kBlockSize;

  size_t filesSize = 0;
  for (const TestCabinetMember& member : members_)
    filesSize += kFileFixedSize + member.nameBytes.size() + 1;
  size_t headerSize = kHeaderSize;
  if (!previous_.empty()) headerSize += 2 * (previous_.size() + 1);
  if (!next_.empty()) headerSize += 2 * (next_.size() + 1);
  const size_t filesOffset = headerSize + kFolderSize;
  const size_t dataOffset = filesOffset + filesSize;
  const size_t total = dataOffset + blocks * kDataFixedSize + data.size() + (mszip_ ? blocks * 7 : 0);

  std::vector<uint8_t> out;
  out.reserve(total);
  // CFHEADER
  out.push_back('M');
  out.push_back('S');
  out.push_back('C');
  out.push_back('F');
  Put32(out, 0);
  Put32(out, static_cast<uint32_t>(total));
  Put32(out, 0);
  Put32(out, static_cast<uint32_t>(filesOffset));
  Put32(out, 0);
  out.push_back(3);  // version 1.3
  out.push_back(1);
  Put16(out, 1);  // one folder
  Put16(out, static_cast<uint16_t>(members_.size()));
  Put16(out, static_cast<uint16_t>((previous_.empty() ? 0 : 0x1) | (next_.empty() ? 0 : 0x2)));
  Put16(out, 0x5453);
  Put16(out, previous_.empty() ? 0 : 1);
  // The other cabinet's file name, and as the name of its disk.
  for (const std::string* other : {&previous_, &next_})
    if (!other->empty()) {
      PutText(out, *other);
      PutText(out, *other);
    }
  // CFFOLDER
  Put32(out, static_cast<uint32_t>(dataOffset));
  Put16(out, static_cast<uint16_t>(blocks));
  Put16(out, mszip_ ? 1 : 0);
  // CFFILE
  uint32_t folderOffset = 0;
  for (size_t i = 0; i < members_.size(); ++i) {
    const TestCabinetMember& member = members_[i];
    const bool fromPrevious = i == 0 && !previous_.empty();
    const bool intoNext = i + 1 == members_.size() && !next_.empty();
    // What continues into the next cabinet is longer than what is here.
    Put32(out, static_cast<uint32_t>(member.data.size() + (intoNext ? 1000 : 0)));
    Put32(out, folderOffset);
    Put16(out, fromPrevious && intoNext ? 0xFFFF : fromPrevious ? 0xFFFD : intoNext ? 0xFFFE : 0);
    Put16(out, member.date);
    Put16(out, member.time);
    Put16(out, member.attributes);
    out.insert(out.end(), member.nameBytes.begin(), member.nameBytes.end());
    out.push_back(0);
    folderOffset += static_cast<uint32_t>(member.data.size());
  }
  // CFDATA: stored data without checksums, MSZIP blocks with them
  for (size_t at = 0; at < data.size(); at += kBlockSize) {
    const size_t length = data.size() - at < kBlockSize ? data.size() - at : kBlockSize;
    const std::vector<uint8_t> payload = BlockPayload(data.data() + at, length, mszip_);
    std::vector<uint8_t> sizes;
    Put16(sizes, static_cast<uint16_t>(payload.size()));
    Put16(sizes, static_cast<uint16_t>(length));
    Put32(out, mszip_ ? Checksum(sizes.data(), 4, Checksum(payload.data(), payload.size(), 0)) : 0);
    out.insert(out.end(), sizes.begin(), sizes.end());
    out.insert(out.end(), payload.begin(), payload.end());
  }
  return out;
}

size_t TestCabinet::DataBlockOffset(size_t index) const {
  const std::vector<uint8_t> bytes = Build();
  size_t at = Get32(bytes, kHeaderSize + (previous_.empty() ? 0 : 2 * (previous_.size() + 1)) +
                               (next_.empty() ? 0 : 2 * (next_.size() + 1)));
  for (size_t i = 0; i < index && at + kDataFixedSize <= bytes.size(); ++i)
    at += kDataFixedSize + Get16(bytes, at + 4);
  return at;
}

bool TestCabinet::WriteTo(const std::wstring& path, const std::vector<uint8_t>& prefix,
                          const std::vector<uint8_t>& suffix) const {
  std::vector<uint8_t> bytes = prefix;
  const std::vector<uint8_t> cabinet = Build();
  bytes.insert(bytes.end(), cabinet.begin(), cabinet.end());
  bytes.insert(bytes.end(), suffix.begin(), suffix.end());
  return WriteFileBytes(path, bytes);
}

bool ReadCabinetSummary(const std::vector<uint8_t>& cabinet, CabinetSummary* summary) {
  if (cabinet.size() < kHeaderSize || cabinet[0] != 'M' || cabinet[1] != 'S' ||
      cabinet[2] != 'C' || cabinet[3] != 'F')
    return false;
  summary->cabinetSize = Get32(cabinet, 8);
  summary->folderCount = Get16(cabinet, 26);
  summary->fileCount = Get16(cabinet, 28);
  const uint16_t flags = Get16(cabinet, 30);
  summary->setId = Get16(cabinet, 32);
  size_t at = kHeaderSize;
  size_t folderReserve = 0;
  if (flags & 0x4) {  // reserve present
    if (cabinet.size() < at + 4) return false;
    const uint16_t headerReserve = Get16(cabinet, at);
    folderReserve = cabinet[at + 2];
    at += 4 + headerReserve;
  }
  if (flags & 0x1) {  // previous cabinet: two NUL-terminated texts
    for (int i = 0; i < 2; ++i) {
      while (at < cabinet.size() && cabinet[at]) ++at;
      ++at;
    }
  }
  if (flags & 0x2) {
    for (int i = 0; i < 2; ++i) {
      while (at < cabinet.size() && cabinet[at]) ++at;
      ++at;
    }
  }
  summary->folderCompression.clear();
  summary->folderBlocks.clear();
  for (uint16_t i = 0; i < summary->folderCount; ++i) {
    if (cabinet.size() < at + kFolderSize) return false;
    summary->folderCompression.push_back(Get16(cabinet, at + 6));
    summary->folderBlocks.push_back(Get16(cabinet, at + 4));
    at += kFolderSize + folderReserve;
  }
  return true;
}

}  // namespace testsupport
