#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <string>

#include "TessalyResource.h"
#include "WizardReadMe.h"
#include "WizardResource.h"

namespace {

TEST(WizardPlan, ReadMeCrcCoversTheUtf16BytesInLittleEndianOrder) {
  // CRC-16/ARC of "1" "\0" "2" "\0": the code units as little-endian bytes.
  const uint8_t bytes[] = {'1', 0, '2', 0};
  uint16_t expected = 0;
  for (uint8_t b : bytes) {
    expected ^= b;
    for (int i = 0; i < 8; ++i)
      expected = (expected & 1) ? (expected >> 1) ^ 0xA001 : expected >> 1;
  }
  EXPECT_EQ(stub::ReadMeTextCrc(L"12"), expected);
  EXPECT_EQ(stub::ReadMeTextCrc(L""), 0);
  EXPECT_NE(stub::ReadMeTextCrc(L"\x3042"), stub::ReadMeTextCrc(L"\x4230"));
}

UINT Take(const std::string& bytes, std::wstring* text,
          stub::ReadMeDecoder decode = stub::DecodeReadMeText) {
  return stub::TakeReadMeText(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), text,
                              decode);
}

bool RefusingDecoder(const uint8_t*, size_t, std::wstring* text) {
  *text = L"half";
  return false;
}

bool ExhaustedDecoder(const uint8_t*, size_t, std::wstring*) { throw std::bad_alloc(); }

// A UTF-16 read-me whose last unit is cut keeps its whole units; a member
// that could not be taken and a text that could not be decoded name their
// own messages, and neither leaves a text behind.
TEST(WizardReadMe, TakesTheTextOrNamesWhyNot) {
  std::wstring text;
  EXPECT_EQ(Take(std::string("\xFF\xFE" "O\0K\0!", 7), &text), 0u);
  EXPECT_EQ(text, L"OK");
  EXPECT_EQ(Take(std::string("\xFF\xFE" "\x42", 3), &text), 0u);
  EXPECT_EQ(text, L"");
  EXPECT_EQ(Take("plain", &text), 0u);
  EXPECT_EQ(text, L"plain");

  text = L"stale";
  EXPECT_EQ(stub::TakeReadMeText(nullptr, 10, &text), static_cast<UINT>(IDS_README_EXTRACT_FAILED));
  EXPECT_EQ(text, L"");
  EXPECT_EQ(Take("", &text), static_cast<UINT>(IDS_README_EXTRACT_FAILED));

  EXPECT_EQ(Take("bytes", &text, RefusingDecoder), static_cast<UINT>(IDS_NO_MEMORY));
  EXPECT_EQ(text, L"");
  EXPECT_EQ(Take("bytes", &text, ExhaustedDecoder), static_cast<UINT>(IDS_NO_MEMORY));
  EXPECT_EQ(text, L"");
}

}  // namespace
