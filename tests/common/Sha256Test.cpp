// Digests from the system's provider, fed whole or in pieces.
#include <gtest/gtest.h>

#include <string>

#include "Sha256.h"

namespace {

TEST(Sha256, KnownDigests) {
  std::wstring hex;
  ASSERT_TRUE(vesmarin::Sha256Hex("abc", 3, &hex));
  EXPECT_EQ(hex, L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  ASSERT_TRUE(vesmarin::Sha256Hex("", 0, &hex));
  EXPECT_EQ(hex, L"e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  vesmarin::Sha256 pieces;
  ASSERT_TRUE(pieces.Add("a", 1));
  ASSERT_TRUE(pieces.Add("bc", 2));
  ASSERT_TRUE(pieces.Finish(&hex));
  EXPECT_EQ(hex, L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

}  // namespace
