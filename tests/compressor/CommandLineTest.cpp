// The compressor's command line: forms, their order, and the mode they pick.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CommandLine.h"
#include "TestSupport.h"

namespace {

using testsupport::TempDir;

CommandLineOptions Parse(std::vector<std::wstring> arguments) {
  arguments.insert(arguments.begin(), L"Sardok.exe");
  std::vector<const wchar_t*> argv;
  for (const std::wstring& argument : arguments) argv.push_back(argument.c_str());
  return ParseCommandLine(static_cast<int>(argv.size()), argv.data());
}

TEST(CompressorCommandLine, PrefixedFormsIgnoreCaseAndAccumulateOrReplace) {
  const CommandLineOptions options =
      Parse({L"/FILE:C:\\a\\x.txt", L"/file:", L"/file:C:\\b\\y.txt", L"/Except:*.bak",
             L"/except:", L"/EXCEPT:obj", L"/arc:first.cab", L"/ARC:D:\\out.cab"});
  EXPECT_EQ((std::vector<std::wstring>{L"C:\\a\\x.txt", L"C:\\b\\y.txt"}), options.files);
  EXPECT_EQ((std::vector<std::wstring>{L"*.bak", L"obj"}), options.exclusions);
  EXPECT_EQ(L"D:\\out.cab", options.archiveOption);
  EXPECT_TRUE(options.archiveArgument.empty());
  EXPECT_FALSE(options.compress);
  EXPECT_FALSE(options.silent);
}

TEST(CompressorCommandLine, APrefixedArgumentCountsOnlyAsThatForm) {
  const CommandLineOptions options = Parse({L"/arc:p.qxc", L"/file:q.cab", L"/except:/compress"});
  EXPECT_EQ(L"p.qxc", options.archiveOption);
  EXPECT_TRUE(options.projectPath.empty());
  EXPECT_TRUE(options.archiveArgument.empty());
  EXPECT_FALSE(options.compress);
}

TEST(CompressorCommandLine, ProjectArchiveAndKeywords) {
  const CommandLineOptions options =
      Parse({L"one.QXC", L"two.qxc", L"out.Cab", L"/Compress", L"/SILENT", L"/compressed",
             L"-compress", L"other.txt"});
  EXPECT_EQ(L"two.qxc", options.projectPath);
  EXPECT_EQ(L"out.Cab", options.archiveArgument);
  EXPECT_TRUE(options.compress);
  EXPECT_TRUE(options.silent);
}

TEST(CompressorCommandLine, FolderArgumentIsTheFullPathWithoutItsBackslash) {
  TempDir dir(L"cl");
  ASSERT_TRUE(CreateDirectoryW((dir / L"data.old").c_str(), nullptr));
  wchar_t previous[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, previous);
  SetCurrentDirectoryW(dir.path().c_str());
  const CommandLineOptions relative = Parse({L"data.old\\"});
  SetCurrentDirectoryW(previous);
  EXPECT_EQ(dir / L"data.old", relative.sourceFolder);

  // A drive root keeps its backslash; a folder that does not exist is no folder.
  EXPECT_EQ(L"C:\\", Parse({L"C:\\"}).sourceFolder);
  const CommandLineOptions missing = Parse({(dir / L"absent").c_str()});
  EXPECT_TRUE(missing.sourceFolder.empty());
  // A folder named like a project stays a folder.
  ASSERT_TRUE(CreateDirectoryW((dir / L"box.qxc").c_str(), nullptr));
  const CommandLineOptions named = Parse({dir / L"box.qxc"});
  EXPECT_EQ(dir / L"box.qxc", named.sourceFolder);
  EXPECT_TRUE(named.projectPath.empty());
}

TEST(CompressorCommandLine, CallerWindowOnlyWhenItExists) {
  HWND window = CreateWindowExW(0, L"STATIC", L"caller", 0, 0, 0, 1, 1, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(nullptr, window);
  const std::wstring number =
      std::to_wstring(static_cast<long long>(reinterpret_cast<LONG_PTR>(window)));
  EXPECT_EQ(window, Parse({L"/hwnd:" + number}).callerWindow);
  EXPECT_EQ(window, Parse({L"/HWND:" + number}).callerWindow);
  EXPECT_EQ(nullptr, Parse({L"/hwnd:" + number + L"x"}).callerWindow);
  EXPECT_EQ(nullptr, Parse({L"/hwnd:"}).callerWindow);
  EXPECT_EQ(nullptr, Parse({L"/hwnd:99999999999999999999999"}).callerWindow);
  DestroyWindow(window);
  EXPECT_EQ(nullptr, Parse({L"/hwnd:" + number}).callerWindow);
}

TEST(CompressorCommandLine, ModeDecision) {
  TempDir dir(L"mode");
  const std::wstring folder = dir.path().substr(0, dir.path().size() - 1);
  EXPECT_EQ(CompressorMode::FileList, DecideMode(Parse({L"/file:C:\\a\\x.txt", L"D:\\out.cab"})));
  EXPECT_EQ(CompressorMode::FileList,
            DecideMode(Parse({L"/file:C:\\a\\x.txt", L"D:\\out.cab", folder, L"/compress"})));
  EXPECT_EQ(CompressorMode::Interactive, DecideMode(Parse({L"/file:C:\\a\\x.txt"})));
  EXPECT_EQ(CompressorMode::Interactive, DecideMode(Parse({L"/arc:D:\\out.cab"})));
  EXPECT_EQ(CompressorMode::Interactive, DecideMode(Parse({})));
  EXPECT_EQ(CompressorMode::Unattended, DecideMode(Parse({L"/compress"})));
  EXPECT_EQ(CompressorMode::Unattended, DecideMode(Parse({L"/compress", L"p.qxc"})));
  EXPECT_EQ(CompressorMode::Folder, DecideMode(Parse({folder})));
  EXPECT_EQ(CompressorMode::Folder, DecideMode(Parse({folder, L"/compress", L"p.qxc"})));
}

}  // namespace
