#include "StubFixture.h"

#include "ContainerReader.h"

namespace stubtest {

Layout LayoutOf(const std::vector<uint8_t>& file) {
  containerreader::Container c;
  std::string error;
  EXPECT_TRUE(containerreader::ReadContainer(file, c, &error)) << error;
  return Layout{c.headerOffset, c.header.settingsSize, c.header.archiveOffset};
}

std::vector<uint8_t> Bytes(const std::wstring& path) {
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(testsupport::ReadFileBytes(path, bytes)) << testsupport::Narrow(path);
  return bytes;
}

void Save(const std::wstring& path, const std::vector<uint8_t>& bytes) {
  EXPECT_TRUE(testsupport::WriteFileBytes(path, bytes)) << testsupport::Narrow(path);
}

StubTest::StubTest() {}

std::wstring StubTest::Build(const std::vector<std::wstring>& lines,
                             const testsupport::PackageMembers& members,
                             const std::wstring& name) {
  const std::wstring output = package_.Build(lines, members, name);
  EXPECT_FALSE(output.empty()) << testsupport::Narrow(package_.LastError());
  return output;
}

testsupport::DrivenResult StubTest::RunStub(const std::wstring& program,
                                            const std::wstring& arguments,
                                            const testsupport::BoxAnswer& answer,
                                            const testsupport::RunWatcher& watch) {
  testsupport::DrivenResult result = package_.Run(program, arguments, answer, 60000, watch);
  EXPECT_TRUE(result.started);
  EXPECT_FALSE(result.timedOut);
  return result;
}

bool StubTest::TakeInstalledReadMe() {
  std::vector<uint8_t> bytes;
  const bool read = testsupport::ReadFileBytes(InstallFolder() + L"readme.txt", bytes);
  testsupport::RemoveTree(InstallFolder());
  return read && std::string(bytes.begin(), bytes.end()) == ReadMe()[0].second;
}

}  // namespace stubtest
