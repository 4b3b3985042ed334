// One product installed twice into the same folder, the second version
// without most of the first one's files: the second information file keeps
// the first one's entries, so one removal leaves nothing of either version
// but the user's own file.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "InstallerPackage.h"
#include "TestSupport.h"
#include "UninstallInfo.h"

namespace {

using testsupport::InstallerPackage;
using testsupport::ListTree;
using testsupport::Narrow;
using testsupport::PathExists;

std::wstring UniqueId() {
  static LONG counter = 0;
  return std::to_wstring(GetCurrentProcessId()) + L"-" +
         std::to_wstring(InterlockedIncrement(&counter));
}

std::wstring Joined(const std::vector<std::wstring>& names) {
  std::wstring text;
  for (const std::wstring& name : names) text += name + L"; ";
  return text;
}

std::wstring BoxTexts(const testsupport::DrivenResult& result) {
  std::wstring text;
  for (const testsupport::SeenBox& box : result.boxes) text += box.text + L"\n";
  return text;
}

std::vector<std::wstring> ListedFiles(const std::wstring& info) {
  std::wstring text;
  if (!ReadUninstallInfoText(info.c_str(), &text)) return {};
  return ParseUninstallInfoFiles(text).Files;
}

TEST(UpgradeE2E, TheUpgradeKeepsTheEarlierListSoOneRemovalTakesBothVersions) {
  InstallerPackage package(L"upgrade");
  const std::wstring key = L"VesmarinUpgrade-" + UniqueId();
  const std::wstring vendor = package.dir() / L"Vendor\\";
  const std::wstring product = vendor + L"Suite\\Product\\";
  const std::vector<std::wstring> lines = {
      L"NoUI=1", L"ExtractFolder=" + product.substr(0, product.size() - 1), L"UseUnInstall=1",
      L"UseVesmarinUninstaller=1", L"UseVesmarinUninstallerFolder=\\",
      L"UnInstallTitle=Upgrade", L"UnInstallTitleE=Upgrade", L"UnInstallKey=" + key};
  // v1: 20 files in 4 folders; v2: 3 of them and 27 others.
  testsupport::PackageMembers v1, v2;
  for (int i = 0; i < 20; ++i)
    v1.push_back({L"old" + std::to_wstring(i % 4) + L"\\f" + std::to_wstring(i) + L".txt",
                  "v1 " + std::to_string(i)});
  for (int i = 0; i < 3; ++i) v2.push_back({v1[i].first, "v2 " + std::to_string(i)});
  for (int i = 0; i < 27; ++i)
    v2.push_back({L"new" + std::to_wstring(i % 3) + L"\\g" + std::to_wstring(i) + L".txt", "v2"});
  const std::wstring first = package.Build(lines, v1, L"V1.exe");
  const std::wstring second = package.Build(lines, v2, L"V2.exe");
  ASSERT_FALSE(first.empty() || second.empty()) << Narrow(package.LastError());

  testsupport::DrivenResult run = package.Run(first);
  ASSERT_FALSE(run.timedOut);
  ASSERT_EQ(run.exitCode, 0u) << Narrow(BoxTexts(run));
  const std::wstring info = product + L"Hollmere64.$$$";
  const std::vector<std::wstring> firstList = ListedFiles(info);
  ASSERT_FALSE(firstList.empty());
  // The user's own file, in a folder of v1.
  ASSERT_TRUE(testsupport::WriteTextFile(product + L"old1\\mine.txt", "the user's"));

  run = package.Run(second);
  ASSERT_FALSE(run.timedOut);
  ASSERT_EQ(run.exitCode, 0u) << Narrow(BoxTexts(run));
  // Every entry of v1 that still exists is listed again, and the user's
  // file is not.
  const std::vector<std::wstring> secondList = ListedFiles(info);
  for (const std::wstring& entry : firstList) {
    bool listed = false;
    for (const std::wstring& now : secondList) listed = listed || _wcsicmp(now.c_str(), entry.c_str()) == 0;
    EXPECT_TRUE(listed) << Narrow(entry);
  }
  for (const std::wstring& now : secondList)
    EXPECT_EQ(now.find(L"mine.txt"), std::wstring::npos) << Narrow(now);

  const std::wstring temp = package.dir() / L"tmp\\";
  ASSERT_TRUE(CreateDirectoryW(temp.c_str(), nullptr));
  const testsupport::UninstDriverReport removal =
      testsupport::RunUninstDriver(testsupport::UninstallCommand(key), temp, L"--confirm yes");
  EXPECT_FALSE(removal.driver.timedOut);
  EXPECT_FALSE(removal.Has("error-text")) << removal.text;
  const std::vector<std::wstring> left = ListTree(vendor);
  const std::vector<std::wstring> expected = {L"Suite\\", L"Suite\\Product\\",
                                              L"Suite\\Product\\old1\\",
                                              L"Suite\\Product\\old1\\mine.txt"};
  EXPECT_EQ(left, expected) << Narrow(Joined(left));
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, testsupport::UninstallEntryPath(key).c_str());
}

// A list is taken over only from the same product: another product's file
// in that place gives nothing of its entries.
TEST(UpgradeE2E, AnotherProductsListIsNotTakenOver) {
  InstallerPackage package(L"upgrade-other");
  const std::wstring key = L"VesmarinUpgradeA-" + UniqueId();
  const std::wstring otherKey = L"VesmarinUpgradeB-" + UniqueId();
  const std::wstring product = package.InstallFolder();
  auto lines = [](const std::wstring& k) {
    return std::vector<std::wstring>{L"NoUI=1", L"UseUnInstall=1", L"UseVesmarinUninstaller=1",
                                     L"UseVesmarinUninstallerFolder=\\", L"UnInstallTitle=Upgrade",
                                     L"UnInstallTitleE=Upgrade", L"UnInstallKey=" + k};
  };
  const std::wstring first = package.Build(lines(otherKey), {{L"other\\x.txt", "x"}}, L"A.exe");
  const std::wstring second = package.Build(lines(key), {{L"mine\\y.txt", "y"}}, L"B.exe");
  ASSERT_FALSE(first.empty() || second.empty()) << Narrow(package.LastError());
  ASSERT_EQ(package.Run(first).exitCode, 0u);
  ASSERT_EQ(package.Run(second).exitCode, 0u);
  for (const std::wstring& now : ListedFiles(product + L"Hollmere64.$$$"))
    EXPECT_EQ(now.find(L"\\other\\"), std::wstring::npos) << Narrow(now);
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, testsupport::UninstallEntryPath(key).c_str());
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, testsupport::UninstallEntryPath(otherKey).c_str());
}

}  // namespace
