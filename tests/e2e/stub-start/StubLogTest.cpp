// The desktop log file "$$qxxlog.txt": written only when it exists, with the
// container check's phase lines.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <cstring>
#include <string>

#include "StubFixture.h"

namespace {

class StubLog : public stubtest::StubTest {
 protected:
  void SetUp() override {
    wchar_t desktop[MAX_PATH];
    ASSERT_TRUE(SUCCEEDED(
        SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, desktop)));
    log_ = std::wstring(desktop) + L"\\$$qxxlog.txt";
  }
  void TearDown() override { DeleteFileW(log_.c_str()); }
  std::string Log() {
    std::vector<uint8_t> bytes;
    testsupport::ReadFileBytes(log_, bytes);
    return std::string(bytes.begin(), bytes.end());
  }
  std::wstring log_;
};

TEST_F(StubLog, PhaseLinesOfTheContainerCheck) {
  const std::wstring setup = Build({L"NoUI=1", L"UltraSilentInstall=1"});
  ASSERT_FALSE(setup.empty());
  const std::vector<uint8_t> good = stubtest::Bytes(setup);
  const stubtest::Layout layout = stubtest::LayoutOf(good);
  const std::wstring bad = dir() / L"Bad.exe";

  // Without the file nothing is logged and nothing is created, not even
  // for a failure that has its phase line.
  std::vector<uint8_t> flipped = good;
  flipped[flipped.size() - 1] ^= 0x01;
  stubtest::Save(bad, flipped);
  DeleteFileW(log_.c_str());
  EXPECT_EQ(RunStub(bad).exitCode, 4u);
  EXPECT_FALSE(testsupport::PathExists(log_));

  ASSERT_TRUE(testsupport::WriteTextFile(log_, ""));
  EXPECT_EQ(RunStub(setup).exitCode, 0u);
  EXPECT_TRUE(TakeInstalledReadMe());
  EXPECT_NE(Log().find("szUserDefinedExtractSubPath = " + testsupport::Narrow(InstallFolder()) +
                       ", phase 013\n"),
            std::string::npos)
      << Log();

  EXPECT_EQ(RunStub(bad).exitCode, 4u);
  EXPECT_NE(Log().find("ArchiveSfxOpen() Error Exit, code 6, phase 009\n"), std::string::npos);

  std::vector<uint8_t> longer = good;
  longer.push_back(0);
  longer.push_back(0);
  stubtest::Save(bad, longer);
  EXPECT_EQ(RunStub(bad).exitCode, 4u);
  EXPECT_NE(Log().find("ArchiveSfxOpen() Error Exit, code 6, phase 008\n"), std::string::npos);

  std::vector<uint8_t> huge = good;
  const uint32_t size = 0xFFFFFF00u;
  std::memcpy(&huge[layout.headerOffset + 0x0C], &size, 4);
  stubtest::Save(bad, huge);
  EXPECT_EQ(RunStub(bad).exitCode, 4u);
  EXPECT_NE(Log().find("ArchiveSfxOpen() Error Exit, code 1, phase 007\n"), std::string::npos);
  EXPECT_FALSE(Installed());
}

}  // namespace
