#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "KCommandLine.h"
#include "TestSupport.h"

namespace {

typedef std::vector<std::wstring> Tokens;

Tokens Options(const KCommandLineW& line) { return line.GetOptions(); }
Tokens Arguments(const KCommandLineW& line) { return line.GetArguments(); }

TEST(CommandLine, QuotedOptionKeepsBlanksUnquotedSplits) {
  KCommandLineW quoted(L"\"/OutputFile:C:\\out dir\\setup.exe\"");
  EXPECT_EQ(Options(quoted), Tokens{L"OutputFile:C:\\out dir\\setup.exe"});
  EXPECT_TRUE(Arguments(quoted).empty());

  KCommandLineW plain(L"/OutputFile:C:\\out dir\\nothing-here\\setup.exe");
  EXPECT_EQ(Options(plain), Tokens{L"OutputFile:C:\\out"});
  EXPECT_EQ(Arguments(plain), Tokens{L"dir\\nothing-here\\setup.exe"});

  KCommandLineW quotedArgument(L"\"a b\" c");
  EXPECT_EQ(Arguments(quotedArgument), (Tokens{L"a b", L"c"}));
}

TEST(CommandLine, ExistingPathWithBlanksIsOneArgument) {
  testsupport::TempDir dir(L"cmd");
  const std::wstring file = dir / L"My Projects setup.ini";
  ASSERT_TRUE(testsupport::WriteTextFile(file, "[Vesmarin]\r\n"));
  KCommandLineW line(L"-x " + file);
  EXPECT_EQ(Options(line), Tokens{L"x"});
  EXPECT_EQ(Arguments(line), Tokens{file});

  // Not the last thing on the line: split at the blank as usual.
  KCommandLineW notLast(file + L" /y");
  ASSERT_GE(Arguments(notLast).size(), 2u);
  EXPECT_EQ(Arguments(notLast)[0], dir.path() + L"My");
}

TEST(CommandLine, EmptyQuotesLoneMarkAndBothMarks) {
  KCommandLineW line(L"\"\"  /  -x /x \"-q:1 2\"");
  EXPECT_EQ(Options(line), (Tokens{L"", L"x", L"x", L"q:1 2"}));
  EXPECT_TRUE(Arguments(line).empty());

  KCommandLineW unclosed(L"a \"b c");
  EXPECT_EQ(Arguments(unclosed), (Tokens{L"a", L"b c"}));

  KCommandLineW quoteInOption(L"/a:\"x y\" z");
  EXPECT_EQ(Options(quoteInOption), Tokens{L"a:\"x"});
  EXPECT_EQ(Arguments(quoteInOption), (Tokens{L"y\"", L"z"}));
}

TEST(CommandLine, LongUnquotedArgumentIsCutAt260) {
  std::wstring run(300, L'a');
  KCommandLineW line(run);
  EXPECT_EQ(Arguments(line), (Tokens{std::wstring(260, L'a'), std::wstring(40, L'a')}));
}

TEST(CommandLine, GetOptionMatchesNameAndColonIgnoringCase) {
  KCommandLineW line(L"/ArchiveFileX:b.cab /AutoCheck -ArchiveFile:a.cab /archivefile:c.cab");
  std::wstring value = L"untouched";
  EXPECT_TRUE(line.GetOption(L"archivefile", value));
  EXPECT_EQ(value, L"a.cab");
  value = L"untouched";
  EXPECT_FALSE(line.GetOption(L"AutoCheck", value));
  EXPECT_EQ(value, L"untouched");
  EXPECT_EQ(line.GetOptionCount(), 4u);
  EXPECT_EQ(line.GetOptions()[1], L"AutoCheck");

  KCommandLineW empty(L"/OutputFile:");
  value = L"untouched";
  EXPECT_TRUE(empty.GetOption(L"OutputFile", value));
  EXPECT_EQ(value, L"");
}

TEST(CommandLine, ProgramNameAloneYieldsNothing) {
  for (const wchar_t* commandLine :
       {L"\"C:\\Program Files\\Vesmarin\\Vesmarin.exe\"", L"Vesmarin.exe",
        L"\"C:\\x y\\Vesmarin.exe\"   ", L"Vesmarin.exe   ", L"\"unclosed name"}) {
    KCommandLineW line(KCommandLineW::SkipProgramName(commandLine));
    EXPECT_EQ(line.GetArgumentCount(), 0u) << testsupport::Narrow(commandLine);
    EXPECT_EQ(line.GetOptionCount(), 0u) << testsupport::Narrow(commandLine);
  }
  EXPECT_STREQ(KCommandLineW::SkipProgramName(L"\"C:\\a b\\v.exe\"  proj.ini /x"), L"proj.ini /x");
  EXPECT_STREQ(KCommandLineW::SkipProgramName(L"v.exe\tproj.ini"), L"proj.ini");
}

TEST(CommandLine, ParseReplacesTextAndCallsHooksInOrder) {
  struct Recorder : KCommandLineW {
    Recorder() : KCommandLineW(L"") {}
    std::vector<std::wstring> calls;
    void OnArgument(const std::wstring& text) override {
      calls.push_back(L"arg " + text + L" " + std::to_wstring(GetArgumentCount()));
    }
    void OnOption(const std::wstring& text) override {
      calls.push_back(L"opt " + text + L" " + std::to_wstring(GetOptionCount()));
    }
  } recorder;
  recorder.Parse(L"one /two three");
  // Each hook runs just before its token is appended.
  EXPECT_EQ(recorder.calls, (Tokens{L"arg one 0", L"opt two 0", L"arg three 1"}));
  EXPECT_EQ(recorder.GetText(), L"one /two three");
  recorder.Parse(L"-z");
  EXPECT_EQ(recorder.GetArgumentCount(), 0u);
  EXPECT_EQ(Options(recorder), Tokens{L"z"});
}

TEST(CommandLine, NarrowStringsSplitTheSameWay) {
  KCommandLine<std::string> line("\"/OutputFile:C:\\a b\\s.exe\" proj.ini");
  EXPECT_EQ(line.GetOptions(), std::vector<std::string>{"OutputFile:C:\\a b\\s.exe"});
  EXPECT_EQ(line.GetArguments(), std::vector<std::string>{"proj.ini"});
}

}  // namespace
