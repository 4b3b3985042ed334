// What the worker refuses to touch, and how it recognises its own start.
#include <gtest/gtest.h>

#include <string>

#include "RemovalGuards.h"
#include "TestSupport.h"
#include "TempCopies.h"
#include "UninstallWorker.h"
#include "UninstallerApp.h"

namespace {

TEST(RemovalGuards, InstalledPathsMustBeAbsoluteLocalAndCanonical) {
  EXPECT_TRUE(IsRemovableInstalledPath(L"C:\\Program Files\\App\\a.txt"));
  EXPECT_TRUE(IsRemovableInstalledPath(L"C:\\Program Files\\App\\"));
  EXPECT_TRUE(IsRemovableInstalledPath(L"d:\\x"));
  const wchar_t* refused[] = {
      L"", L"C:\\", L"C:", L"C:x\\y", L"\\\\server\\share\\a.txt", L"\\\\?\\C:\\a.txt",
      L"\\Windows\\a.txt", L"relative\\a.txt", L"C:\\App\\..\\Windows\\", L"C:\\App\\..",
      L"C:\\App\\.\\a.txt", L"C:\\App/../x", L"C:\\App\\\\a.txt", L"C:\\App\\a.txt:stream",
      L"C:\\App\\*.txt", L"C:\\App\\a.txt.", L"C:\\App \\a.txt", L"C:\\...\\", L"1:\\a"};
  for (const wchar_t* path : refused) EXPECT_FALSE(IsRemovableInstalledPath(path)) << path;
  std::wstring tooLong = L"C:\\" + std::wstring(300, L'a');
  EXPECT_FALSE(IsRemovableInstalledPath(tooLong.c_str()));
}

TEST(RemovalGuards, ModuleNamesMustBePlainFileNames) {
  EXPECT_TRUE(IsPlainFileName(L"ext.dll"));
  EXPECT_TRUE(IsPlainFileName(L"my ext.dll"));
  for (const wchar_t* name : {L"", L".", L"..", L"..\\ext.dll", L"sub\\ext.dll", L"C:ext.dll",
                              L"C:\\ext.dll", L"/ext.dll", L"ext.dll:x", L"e?t.dll"}) {
    EXPECT_FALSE(IsPlainFileName(name)) << name;
  }
}

TEST(RemovalGuards, GroupNamesStayBelowPrograms) {
  EXPECT_TRUE(IsSafeGroupName(L"Example"));
  EXPECT_TRUE(IsSafeGroupName(L"Vendor\\Example"));
  for (const wchar_t* name : {L"", L"..", L"..\\..\\Desktop", L"A\\..\\..", L"\\Abs",
                              L"C:\\Abs", L"A\\\\B", L"A/B"}) {
    EXPECT_FALSE(IsSafeGroupName(name)) << name;
  }
}

TEST(RemovalGuards, SharedAndRootRegistryKeysAreRefused) {
  // Classes: product keys yes, the shared containers themselves no.
  EXPECT_TRUE(IsRegistryKeyRemovable(HKEY_CLASSES_ROOT, L".exmp"));
  EXPECT_TRUE(IsRegistryKeyRemovable(HKEY_CLASSES_ROOT, L"Example.Document"));
  EXPECT_TRUE(IsRegistryKeyRemovable(HKEY_CLASSES_ROOT, L"CLSID\\{01234567-89AB-CDEF-0123-456789ABCDEF}"));
  for (const wchar_t* key : {L"", L"\\", L"CLSID", L"clsid\\", L"Interface", L"TypeLib", L"AppID",
                             L"*", L"\\CLSID", L"CLSID\\\\x"}) {
    EXPECT_FALSE(IsRegistryKeyRemovable(HKEY_CLASSES_ROOT, key)) << key;
  }
  // The shell's own keys and everything below them.
  for (const wchar_t* key : {L"exefile", L"EXEFILE\\shell\\open\\command", L"http", L"https\\shell",
                             L"file", L"batfile", L".exe", L"SystemFileAssociations\\.exmp",
                             L"Applications\\example.exe"}) {
    EXPECT_FALSE(IsRegistryKeyRemovable(HKEY_CLASSES_ROOT, key)) << key;
    EXPECT_FALSE(IsRegistryKeyRemovable(HKEY_CURRENT_USER, (std::wstring(L"Software\\Classes\\") + key).c_str()))
        << key;
  }
  // Machine and user hives: a publisher's key one level below SOFTWARE,
  // never SOFTWARE itself or the shared keys beside it.
  EXPECT_TRUE(IsRegistryKeyRemovable(HKEY_CURRENT_USER, L"Software\\Vendor"));
  EXPECT_TRUE(IsRegistryKeyRemovable(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Vendor\\"));
  EXPECT_TRUE(IsRegistryKeyRemovable(HKEY_LOCAL_MACHINE, L"SOFTWARE\\WOW6432Node\\Vendor"));
  EXPECT_TRUE(IsRegistryKeyRemovable(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Clients\\Mail\\Example"));
  for (const wchar_t* key : {L"SOFTWARE\\Microsoft", L"SOFTWARE\\Classes", L"SOFTWARE\\Policies",
                             L"SOFTWARE\\Wow6432Node", L"SOFTWARE\\Clients",
                             L"SOFTWARE\\RegisteredApplications", L"Software\\Microsoft\\Windows"}) {
    EXPECT_FALSE(IsRegistryKeyRemovable(HKEY_LOCAL_MACHINE, key)) << key;
    EXPECT_FALSE(IsRegistryKeyRemovable(HKEY_CURRENT_USER, key)) << key;
  }
  EXPECT_TRUE(IsRegistryKeyRemovable(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Vendor\\Product"));
  EXPECT_TRUE(IsRegistryKeyRemovable(HKEY_CURRENT_USER, L"Software\\Vendor\\Product\\"));
  EXPECT_TRUE(IsRegistryKeyRemovable(HKEY_LOCAL_MACHINE, L"SOFTWARE\\WOW6432Node\\Vendor\\Product"));
  EXPECT_TRUE(IsRegistryKeyRemovable(HKEY_CURRENT_USER, L"Software\\Classes\\.exmp"));
  EXPECT_TRUE(IsRegistryKeyRemovable(
      HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Example"));
  for (const wchar_t* key :
       {L"", L"SOFTWARE", L"Software\\", L"SOFTWARE\\WOW6432Node",
        L"SOFTWARE\\Classes", L"SOFTWARE\\Classes\\CLSID", L"Software\\Classes\\*",
        L"SOFTWARE\\Microsoft\\Windows", L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
        L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", L"SYSTEM\\CurrentControlSet",
        L"SYSTEM\\CurrentControlSet\\Services", L"Environment", L"SOFTWARE\\\\Vendor\\Product"}) {
    EXPECT_FALSE(IsRegistryKeyRemovable(HKEY_LOCAL_MACHINE, key)) << key;
    EXPECT_FALSE(IsRegistryKeyRemovable(HKEY_CURRENT_USER, key)) << key;
  }
  EXPECT_TRUE(IsRegistryKeyRemovable(HKEY_CURRENT_USER, L"Environment\\Example"));
  // HKEY_USERS: judged below the user's own hive.
  EXPECT_TRUE(IsRegistryKeyRemovable(HKEY_USERS, L"S-1-5-21-1\\Software\\Vendor\\Product"));
  EXPECT_TRUE(IsRegistryKeyRemovable(HKEY_USERS, L"S-1-5-21-1_Classes\\.exmp"));
  EXPECT_TRUE(IsRegistryKeyRemovable(HKEY_USERS, L"S-1-5-21-1\\Software\\Vendor"));
  for (const wchar_t* key : {L"S-1-5-21-1", L"S-1-5-21-1\\Software", L"S-1-5-21-1\\Software\\Policies",
                             L".DEFAULT\\Software", L"S-1-5-21-1_Classes", L"S-1-5-21-1_Classes\\exefile",
                             L"S-1-5-21-1_Classes\\CLSID"}) {
    EXPECT_FALSE(IsRegistryKeyRemovable(HKEY_USERS, key)) << key;
  }
  EXPECT_FALSE(IsRegistryKeyRemovable(HKEY_CURRENT_CONFIG, L"Software\\Vendor\\Product"));
}

TEST(RemovalGuards, RegistryValuesBelowTopLevelAndUninstallKeys) {
  EXPECT_TRUE(HasKeyBelowTopLevel(L"Software\\X"));
  EXPECT_FALSE(HasKeyBelowTopLevel(L"Software"));
  EXPECT_FALSE(HasKeyBelowTopLevel(L"Software\\"));
  EXPECT_TRUE(IsUsableUninstallKey(L"Example"));
  EXPECT_TRUE(IsUsableUninstallKey(L"{GUID}_is1"));
  for (const wchar_t* key : {L"", L"\\", L"\\Example", L"Example\\", L"A\\\\B"}) {
    EXPECT_FALSE(IsUsableUninstallKey(key)) << key;
  }
}

TEST(UninstallerStart, CommandLineTailChoosesTheRole) {
  const wchar_t* path = nullptr;
  EXPECT_EQ(ChooseRole(L"/uC:\\Temp\\$$qxunst1.ini", &path), kRoleWorker);
  EXPECT_STREQ(path, L"C:\\Temp\\$$qxunst1.ini");
  EXPECT_EQ(ChooseRole(L"/u C:\\x.ini", &path), kRoleWorker);
  EXPECT_STREQ(path, L" C:\\x.ini");
  EXPECT_EQ(ChooseRole(L"/u", &path), kRoleWorker);
  EXPECT_STREQ(path, L"");
  for (const wchar_t* tail : {L"", L"/", L"/s", L"/U", L"/UC:\\x.ini", L"-u", L"x/u"}) {
    EXPECT_EQ(ChooseRole(tail, &path), kRoleLauncher) << tail;
  }
  EXPECT_EQ(ChooseRole(nullptr, &path), kRoleLauncher);
}

TEST(UninstallerStart, OnlyTheLaunchersOwnCopiesMakeAWorker) {
  wchar_t path[MAX_PATH];
  ASSERT_TRUE(FormatTempCopyPath(L"C:\\T\\", 4294967295u, L".ini", path, MAX_PATH));
  EXPECT_STREQ(path, L"C:\\T\\$$qxunst4294967295.ini");
  EXPECT_FALSE(FormatTempCopyPath(L"C:\\T\\", 1, L".ini", path, 10));
  unsigned number = 0;
  EXPECT_TRUE(ParseTempCopyPath(L"c:\\t\\$$QXUNST77.INI", L"C:\\T\\", L".ini", &number));
  EXPECT_EQ(number, 77u);
  // Both copies lie in one copy folder directly inside the temporary folder.
  const wchar_t* temp = L"C:\\T\\";
  const std::wstring f = L"C:\\T\\$$qxunst-0123456789abcdef\\";
  const std::wstring g = L"C:\\T\\$$qxunst-fedcba9876543210\\";
  EXPECT_TRUE(IsLauncherCopy((f + L"$$qxunst12.bin").c_str(), (f + L"$$qxunst12.ini").c_str(), temp));
  EXPECT_TRUE(IsLauncherCopy(L"c:\\t\\$$QXUNST-0123456789ABCDEF\\$$qxunst12.bin",
                             (f + L"$$qxunst12.ini").c_str(), temp));
  EXPECT_FALSE(IsLauncherCopy((f + L"$$qxunst12.bin").c_str(), (f + L"$$qxunst13.ini").c_str(), temp));
  EXPECT_FALSE(IsLauncherCopy((f + L"$$qxunst12.bin").c_str(), (g + L"$$qxunst12.ini").c_str(), temp));
  EXPECT_FALSE(IsLauncherCopy(L"C:\\App\\Hollmere64.exe", (f + L"$$qxunst12.ini").c_str(), temp));
  EXPECT_FALSE(IsLauncherCopy((f + L"$$qxunst12.bin").c_str(), L"C:\\App\\info.ini", temp));
  // Directly in the temporary folder, where anybody may write, or deeper.
  EXPECT_FALSE(IsLauncherCopy(L"C:\\T\\$$qxunst12.bin", L"C:\\T\\$$qxunst12.ini", temp));
  EXPECT_FALSE(IsLauncherCopy((f + L"sub\\$$qxunst12.bin").c_str(), (f + L"sub\\$$qxunst12.ini").c_str(),
                              temp));
  for (const wchar_t* folder : {L"C:\\T\\sub\\", L"C:\\T\\$$qxunst-0123\\", L"C:\\T\\$$qxunst-0123456789abcdeg\\",
                                L"C:\\T\\$$qxunst-0123456789abcdef0\\", L"C:\\T\\$$qxunst0123456789abcdef\\"}) {
    const std::wstring bin = std::wstring(folder) + L"$$qxunst12.bin";
    const std::wstring ini = std::wstring(folder) + L"$$qxunst12.ini";
    EXPECT_FALSE(IsLauncherCopy(bin.c_str(), ini.c_str(), temp)) << testsupport::Narrow(folder);
  }
  EXPECT_FALSE(IsLauncherCopy((f + L"$$qxunst.bin").c_str(), (f + L"$$qxunst.ini").c_str(), temp));
  EXPECT_FALSE(IsLauncherCopy((f + L"$$qxunst99999999999.bin").c_str(),
                              (f + L"$$qxunst99999999999.ini").c_str(), temp));
  EXPECT_FALSE(IsLauncherCopy((f + L"$$qxunst12.bin").c_str(), (L" " + f + L"$$qxunst12.ini").c_str(), temp));
}

}  // namespace
