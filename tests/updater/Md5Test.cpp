// MD5 against the test suite of RFC 1321, fed whole and in pieces.
#include <gtest/gtest.h>

#include <string>

#include "Md5.h"

namespace {

std::wstring DigestOf(const std::string& text, size_t piece) {
  Md5Context* context = Md5Create();
  EXPECT_NE(context, nullptr);
  if (piece == 0) piece = text.size() ? text.size() : 1;
  for (size_t at = 0; at < text.size(); at += piece)
    Md5Update(context, text.data() + at, std::min(piece, text.size() - at));
  wchar_t hex[33] = {};
  Md5FinishHex(context, hex);
  return hex;
}

struct Vector {
  const char* input;
  const wchar_t* digest;
};

const Vector kSuite[] = {
    {"", L"d41d8cd98f00b204e9800998ecf8427e"},
    {"a", L"0cc175b9c0f1b6a831c399e269772661"},
    {"abc", L"900150983cd24fb0d6963f7d28e17f72"},
    {"message digest", L"f96b697d7cb7938d525a2f31aaf161d0"},
    {"abcdefghijklmnopqrstuvwxyz", L"c3fcd3d76192e4007dfb496cca67e13b"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
     L"d174ab98d277d9f5a5611c2c9f419d9f"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     L"57edf4a22be3c955ac49da2e2107b67a"},
};

TEST(Md5, Rfc1321SuiteInLowerCase) {
  for (const Vector& vector : kSuite) EXPECT_EQ(DigestOf(vector.input, 0), vector.digest) << vector.input;
}

TEST(Md5, PiecesOfAnySizeGiveTheSameDigest) {
  std::string text;
  for (int i = 0; i < 1000; ++i) text += static_cast<char>((i * 31 + 7) & 0xff);
  const std::wstring whole = DigestOf(text, 0);
  for (size_t piece : {1, 63, 64, 65, 300}) EXPECT_EQ(DigestOf(text, piece), whole) << piece;
  // Lengths around the padding boundary (55, 56, 63, 64 bytes) each finish
  // correctly: fed in two parts they match the whole.
  for (size_t length : {55, 56, 57, 63, 64, 65, 119, 120}) {
    const std::string part = text.substr(0, length);
    EXPECT_EQ(DigestOf(part, 1), DigestOf(part, 0)) << length;
  }
}

TEST(Md5, NullContextAndEmptyUpdatesDoNothing) {
  Md5Update(nullptr, "abc", 3);
  wchar_t untouched[33] = L"unchanged";
  Md5FinishHex(nullptr, untouched);
  EXPECT_STREQ(untouched, L"unchanged");
  Md5Context* context = Md5Create();
  Md5Update(context, "abc", 0);
  Md5Update(context, nullptr, 0);
  Md5Update(context, "abc", 3);
  wchar_t hex[33] = {};
  Md5FinishHex(context, hex);
  EXPECT_STREQ(hex, L"900150983cd24fb0d6963f7d28e17f72");
}

}  // namespace
