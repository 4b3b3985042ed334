#include "StubPackage.h"

#include <gtest/gtest.h>

#include "ContainerReader.h"
#include "TestCabinet.h"

namespace stubtest {

StubPackages::StubPackages() {
  SetEnvironmentVariableW(L"VESMARIN_TESTEXT_LOG", EventLog().c_str());
}

StubPackages::~StubPackages() { SetEnvironmentVariableW(L"VESMARIN_TESTEXT_LOG", nullptr); }

std::wstring StubPackages::Build(const std::vector<std::wstring>& lines,
                                 const std::vector<std::pair<std::wstring, std::string>>& members,
                                 const std::wstring& name) {
  testsupport::TestCabinet cab;
  for (const auto& member : members) cab.Add(member.first, member.second);
  const std::wstring archive = dir_ / L"archive.cab";
  EXPECT_TRUE(cab.WriteTo(archive));

  std::wstring text = L"\xFEFF[Vesmarin]\r\n";
  const std::vector<std::wstring> base = {
      L"SrcArchiveFile=archive.cab", L"DstExeFile=" + name, L"64bitSFX=1",
      L"DialogTitle=Stub Test",      L"DialogTitleE=Stub Test", L"AskExtPath=0",
      L"UseExtractFolder=1",         L"BaseFolder=6", L"ExtractFolder=" + InstallFolder(),
      L"ManifestType=0",             L"IconType=blue"};
  for (const std::wstring& line : base) text += line + L"\r\n";
  for (const std::wstring& line : lines) text += line + L"\r\n";
  const std::wstring definition = dir_ / L"package.ini";
  EXPECT_TRUE(testsupport::WriteFileBytes(definition, text.data(), text.size() * sizeof(wchar_t)));
  const std::wstring output = dir_ / name;
  DeleteFileW(output.c_str());
  testsupport::ProcessResult built = testsupport::RunProcess(
      L"\"" + testsupport::BinPath(L"Vesmarin.exe") + L"\" \"" + definition + L"\"", 120000);
  EXPECT_TRUE(built.started);
  EXPECT_EQ(built.exitCode, 0u) << "the builder refused the package";
  if (built.exitCode != 0 || !testsupport::PathExists(output)) return std::wstring();
  return output;
}

std::pair<std::wstring, std::string> StubPackages::BinMember(const std::wstring& fileName,
                                                             const std::wstring& memberName) {
  std::vector<uint8_t> bytes = Bytes(testsupport::BinPath(fileName));
  return {memberName, std::string(bytes.begin(), bytes.end())};
}

std::wstring StubPackages::Line(const std::wstring& program, const std::wstring& arguments) const {
  return L"\"" + program + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
}

testsupport::DrivenResult StubPackages::RunStub(const std::wstring& program,
                                            const std::wstring& arguments,
                                            const testsupport::BoxAnswer& answer) {
  testsupport::StubRunLock lock;
  testsupport::DrivenResult result =
      testsupport::RunAnsweringBoxes(Line(program, arguments), answer, 60000);
  EXPECT_TRUE(result.started);
  EXPECT_FALSE(result.timedOut);
  return result;
}

bool StubPackages::Installed() const { return testsupport::PathExists(InstallFolder()); }

std::vector<std::string> StubPackages::Events() const {
  std::vector<uint8_t> bytes;
  std::vector<std::string> lines;
  if (!testsupport::ReadFileBytes(EventLog(), bytes)) return lines;
  std::string text(bytes.begin(), bytes.end());
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  return lines;
}

std::vector<uint8_t> StubPackages::Bytes(const std::wstring& path) {
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(testsupport::ReadFileBytes(path, bytes)) << testsupport::Narrow(path);
  return bytes;
}

void StubPackages::Save(const std::wstring& path, const std::vector<uint8_t>& bytes) {
  EXPECT_TRUE(testsupport::WriteFileBytes(path, bytes));
}

Layout LayoutOf(const std::vector<uint8_t>& file) {
  containerreader::Container c;
  std::string error;
  EXPECT_TRUE(containerreader::ReadContainer(file, c, &error)) << error;
  return Layout{c.headerOffset, c.header.settingsSize, c.header.archiveOffset};
}

ScopedEnv::ScopedEnv(const wchar_t* name, const std::wstring& value) : name_(name) {
  SetEnvironmentVariableW(name, value.c_str());
}

ScopedEnv::~ScopedEnv() { SetEnvironmentVariableW(name_.c_str(), nullptr); }

}  // namespace stubtest
