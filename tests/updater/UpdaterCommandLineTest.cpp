// The updater's command line: program name, options, quoted and plain
// arguments, and window handles from option values.
#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "UpdaterCommandLine.h"

namespace {

TEST(UpdaterCommandLine, ProgramNameAloneGivesNothing) {
  for (const wchar_t* line : {L"\"C:\\Program Files\\Nemdrift.exe\"", L"Nemdrift.exe",
                              L"\"C:\\a b\\Nemdrift.exe\"   ", L"Nemdrift.exe   \t", L""}) {
    UpdaterCommandLine commandLine(line);
    EXPECT_EQ(commandLine.GetOptionCount(), 0u) << line;
    EXPECT_EQ(commandLine.GetArgumentCount(), 0u) << line;
  }
  UpdaterCommandLine unclosed(L"\"C:\\a b\\Nemdrift.exe /AutoCheck");
  EXPECT_EQ(unclosed.GetOptionCount(), 0u);
  EXPECT_STREQ(UpdaterCommandLine::SkipProgramName(L"\"C:\\a b\\Nemdrift.exe\" /AutoCheck /hwnd:12"),
               L"/AutoCheck /hwnd:12");
  EXPECT_STREQ(UpdaterCommandLine::SkipProgramName(L"Nemdrift.exe \t /AutoCheck"), L"/AutoCheck");
  EXPECT_STREQ(UpdaterCommandLine::SkipProgramName(nullptr), L"");
}

TEST(UpdaterCommandLine, PlainOptionsAreCaseSensitiveValuedOnesAreNot) {
  UpdaterCommandLine commandLine(L"x.exe /option -AutoCheck /HWND:0x1A2B /hwnd:5");
  EXPECT_FALSE(commandLine.HasOption(L"Option"));
  EXPECT_TRUE(commandLine.HasOption(L"option"));
  EXPECT_TRUE(commandLine.HasOption(L"AutoCheck"));
  EXPECT_FALSE(commandLine.HasOption(L"AutoChec"));
  std::wstring value = L"untouched";
  ASSERT_TRUE(commandLine.GetOptionValue(L"hwnd", value));
  EXPECT_EQ(value, L"0x1A2B") << "the first matching option counts";
  EXPECT_EQ(WindowFromOptionValue(value), reinterpret_cast<HWND>(0x1A2B));
  EXPECT_FALSE(commandLine.GetOptionValue(L"NotifyWindow", value));
  EXPECT_EQ(value, L"0x1A2B") << "no match leaves the value alone";
  ASSERT_EQ(commandLine.GetOptionCount(), 4u);
  EXPECT_EQ(commandLine.GetOptionAt(2), L"HWND:0x1A2B");
}

TEST(UpdaterCommandLine, NumbersOfWindowHandles) {
  EXPECT_EQ(WindowFromOptionValue(L"1234"), reinterpret_cast<HWND>(1234));
  EXPECT_EQ(WindowFromOptionValue(L"0x10"), reinterpret_cast<HWND>(16));
  EXPECT_EQ(WindowFromOptionValue(L"010"), reinterpret_cast<HWND>(8));
  EXPECT_EQ(WindowFromOptionValue(L"77abc"), reinterpret_cast<HWND>(77));
  EXPECT_EQ(WindowFromOptionValue(L"abc"), nullptr);
  EXPECT_EQ(WindowFromOptionValue(L""), nullptr);
  // The builder writes its handle as a signed number.
  EXPECT_EQ(WindowFromOptionValue(L"-2"), reinterpret_cast<HWND>(static_cast<INT_PTR>(-2)));
}

TEST(UpdaterCommandLine, QuotedTokensAreArgumentsNeverOptions) {
  UpdaterCommandLine commandLine(L"x.exe \"/hwnd:5\" \"\" \"a b\"c /AutoCheck");
  std::wstring value;
  EXPECT_FALSE(commandLine.GetOptionValue(L"hwnd", value));
  ASSERT_EQ(commandLine.GetArgumentCount(), 4u);
  EXPECT_EQ(commandLine.GetArgumentAt(0), L"/hwnd:5");
  EXPECT_EQ(commandLine.GetArgumentAt(1), L"");
  EXPECT_EQ(commandLine.GetArgumentAt(2), L"a b");
  EXPECT_EQ(commandLine.GetArgumentAt(3), L"c");
  EXPECT_TRUE(commandLine.HasOption(L"AutoCheck"));
}

TEST(UpdaterCommandLine, OptionsRunToWhitespaceWithQuotesInside) {
  UpdaterCommandLine commandLine(L"x.exe /a\"b c - /");
  ASSERT_EQ(commandLine.GetOptionCount(), 3u);
  EXPECT_EQ(commandLine.GetOptionAt(0), L"a\"b");
  EXPECT_EQ(commandLine.GetOptionAt(1), L"");
  EXPECT_EQ(commandLine.GetOptionAt(2), L"");
  ASSERT_EQ(commandLine.GetArgumentCount(), 1u);
  EXPECT_EQ(commandLine.GetArgumentAt(0), L"c");
}

TEST(UpdaterCommandLine, LongTokensAreCutAt260) {
  const std::wstring run(300, L'q');
  UpdaterCommandLine plain((L"x.exe " + run).c_str());
  ASSERT_EQ(plain.GetArgumentCount(), 2u);
  EXPECT_EQ(plain.GetArgumentAt(0).size(), 260u);
  EXPECT_EQ(plain.GetArgumentAt(1).size(), 40u);
  UpdaterCommandLine quoted((L"x.exe \"" + run + L"\"").c_str());
  ASSERT_EQ(quoted.GetArgumentCount(), 2u);
  EXPECT_EQ(quoted.GetArgumentAt(0).size(), 260u);
  // The rest starts a new, plain token that runs to the next blank, the
  // closing quote included.
  EXPECT_EQ(quoted.GetArgumentAt(1), std::wstring(40, L'q') + L"\"");
  const std::wstring longOption = L"/" + std::wstring(500, L'o');
  UpdaterCommandLine option((L"x.exe " + longOption).c_str());
  ASSERT_EQ(option.GetOptionCount(), 1u);
  EXPECT_EQ(option.GetOptionAt(0).size(), 500u);
}

TEST(UpdaterCommandLine, AnExistingPathWithBlanksIsOneArgument) {
  testsupport::TempDir dir(L"cmd");
  const std::wstring folder = dir / L"with blank";
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  UpdaterCommandLine commandLine((L"x.exe /AutoCheck " + folder).c_str());
  ASSERT_EQ(commandLine.GetArgumentCount(), 1u);
  EXPECT_EQ(commandLine.GetArgumentAt(0), folder);
  UpdaterCommandLine missing((L"x.exe " + dir.path() + L"no such thing").c_str());
  EXPECT_EQ(missing.GetArgumentCount(), 3u) << "a path that does not exist splits at blanks";
}

}  // namespace
