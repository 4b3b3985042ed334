// The machine field of a server library's header and the codes of files
// that are not usable PE files.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "ComRegistration.h"
#include "TestSupport.h"

namespace {

// MZ, the header offset at 0x3C, "PE\0\0" there and a file header of
// headerBytes bytes starting with the machine.
std::vector<uint8_t> PeStart(uint16_t machine, uint32_t offset = 0x80, size_t headerBytes = 20) {
  std::vector<uint8_t> bytes(offset + 4 + headerBytes, 0);
  bytes[0] = 'M';
  bytes[1] = 'Z';
  for (int i = 0; i < 4; ++i) bytes[0x3C + i] = static_cast<uint8_t>(offset >> (8 * i));
  bytes[offset] = 'P';
  bytes[offset + 1] = 'E';
  if (headerBytes >= 2) {
    bytes[offset + 4] = static_cast<uint8_t>(machine);
    bytes[offset + 5] = static_cast<uint8_t>(machine >> 8);
  }
  return bytes;
}

class ServerHeaderTest : public ::testing::Test {
 protected:
  int Machine(const std::vector<uint8_t>& bytes, uint16_t* machine) {
    const std::wstring path = dir_ / L"server.dll";
    EXPECT_TRUE(testsupport::WriteFileBytes(path, bytes));
    *machine = 0;
    return stub::ReadServerMachine(path.c_str(), machine);
  }
  testsupport::TempDir dir_{L"pe"};
};

TEST_F(ServerHeaderTest, X64AndX86HeadersAreAccepted) {
  uint16_t machine = 0;
  EXPECT_EQ(Machine(PeStart(0x8664), &machine), 0);
  EXPECT_EQ(machine, stub::kMachineX64);
  EXPECT_EQ(Machine(PeStart(0x014C, 0x40), &machine), 0);
  EXPECT_EQ(machine, stub::kMachineX86);
}

TEST_F(ServerHeaderTest, BuiltServerIsX64) {
  uint16_t machine = 0;
  EXPECT_EQ(stub::ReadServerMachine(testsupport::BinPath(L"shellcom.dll").c_str(), &machine), 0);
  EXPECT_EQ(machine, stub::kMachineX64);
}

TEST_F(ServerHeaderTest, OtherMachinesGive204) {
  uint16_t machine = 0;
  EXPECT_EQ(Machine(PeStart(0x01C4), &machine), stub::kComUnknownMachine);  // ARM
  EXPECT_EQ(machine, 0x01C4);
  EXPECT_EQ(Machine(PeStart(0xAA64), &machine), stub::kComUnknownMachine);  // ARM64
  EXPECT_EQ(Machine(PeStart(0x0000), &machine), stub::kComUnknownMachine);
}

TEST_F(ServerHeaderTest, FilesWithoutPeSignatureGive202) {
  uint16_t machine = 0;
  std::vector<uint8_t> text(400, 'a');  // a text file: offset 0x61616161
  EXPECT_EQ(Machine(text, &machine), stub::kComNoPeSignature);
  EXPECT_EQ(Machine({}, &machine), stub::kComNoPeSignature);
  EXPECT_EQ(Machine(std::vector<uint8_t>(0x3E, 0), &machine), stub::kComNoPeSignature);
  std::vector<uint8_t> wrong = PeStart(0x8664);
  wrong[0x81] = 'X';
  EXPECT_EQ(Machine(wrong, &machine), stub::kComNoPeSignature);
  std::vector<uint8_t> beyond = PeStart(0x8664);
  beyond[0x3F] = 0x7F;  // the offset points far past the end
  EXPECT_EQ(Machine(beyond, &machine), stub::kComNoPeSignature);
}

TEST_F(ServerHeaderTest, ShortFileHeaderGives203) {
  uint16_t machine = 0;
  EXPECT_EQ(Machine(PeStart(0x8664, 0x80, 19), &machine), stub::kComNoFileHeader);
  EXPECT_EQ(Machine(PeStart(0x8664, 0x80, 0), &machine), stub::kComNoFileHeader);
}

TEST_F(ServerHeaderTest, MissingOrLockedFileGives201) {
  uint16_t machine = 0;
  EXPECT_EQ(stub::ReadServerMachine((dir_ / L"none.dll").c_str(), &machine),
            stub::kComCannotOpen);
  const std::wstring locked = dir_ / L"locked.dll";
  ASSERT_TRUE(testsupport::WriteFileBytes(locked, PeStart(0x8664)));
  HANDLE exclusive = CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                 nullptr);
  ASSERT_NE(exclusive, INVALID_HANDLE_VALUE);
  EXPECT_EQ(stub::ReadServerMachine(locked.c_str(), &machine), stub::kComCannotOpen);
  CloseHandle(exclusive);
  EXPECT_EQ(stub::ReadServerMachine(locked.c_str(), &machine), 0);
}

}  // namespace
