// Links inside an installation are seen for what they are.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "ReparsePoints.h"
#include "TestSupport.h"

using testsupport::TempDir;

namespace {

TEST(ReparsePoints, PathsThroughALinkBelowTheRootAreSeen) {
  TempDir dir(L"rp");
  const std::wstring root = dir / L"root";
  const std::wstring elsewhere = dir / L"elsewhere";
  ASSERT_TRUE(CreateDirectoryW(root.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(elsewhere.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW((root + L"\\real").c_str(), nullptr));
  EXPECT_FALSE(vesmarin::PassesThroughReparsePoint(root.c_str(), (root + L"\\real\\a.txt").c_str()));
  EXPECT_FALSE(vesmarin::IsReparsePoint((root + L"\\real").c_str()));
  ASSERT_TRUE(testsupport::MakeFolderLink(root + L"\\link", elsewhere));
  EXPECT_TRUE(vesmarin::IsReparsePoint((root + L"\\link").c_str()));
  EXPECT_TRUE(vesmarin::PassesThroughReparsePoint(root.c_str(), (root + L"\\link\\a.txt").c_str()));
  EXPECT_TRUE(vesmarin::PassesThroughReparsePoint((root + L"\\").c_str(),
                                                  (root + L"\\LINK\\deeper\\").c_str()));
  // The link itself is not passed through, and outside the root nothing is.
  EXPECT_FALSE(vesmarin::PassesThroughReparsePoint(root.c_str(), (root + L"\\link").c_str()));
  EXPECT_FALSE(vesmarin::PassesThroughReparsePoint((root + L"\\real").c_str(),
                                                   (root + L"\\link\\a.txt").c_str()));
}

}  // namespace
