// Test fixtures shared by the removal-operation and pre-process tests.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "RemovalOps.h"
#include "TestSupport.h"
#include "UninstallLog.h"
#include "UninstallerApp.h"

// Loads the uninstaller's strings for the log lines; resets the options.
class RemovalOps : public ::testing::Test {
 protected:
  void SetUp() override {
    g_Instance = LoadLibraryExW(testsupport::BinPath(L"Hollmere64.exe").c_str(), nullptr,
                                LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(g_Instance, nullptr);
    g_Removal = RemovalSettings();
  }
  void TearDown() override {
    DiscardUninstallLog();
    FreeLibrary(g_Instance);
    g_Instance = nullptr;
  }
};

// Runs uninstprobe copies; their log goes to a file of the temporary folder.
class ProbeRun : public RemovalOps {
 protected:
  void SetUp() override {
    RemovalOps::SetUp();
    log_ = dir_ / L"probe.log";
    SetEnvironmentVariableW(L"VESMARIN_PROBE_LOG", log_.c_str());
  }
  void TearDown() override {
    for (const wchar_t* name : {L"VESMARIN_PROBE_LOG", L"VESMARIN_PROBE_EXIT",
                                L"VESMARIN_PROBE_SLEEP"}) {
      SetEnvironmentVariableW(name, nullptr);
    }
    RemovalOps::TearDown();
  }
  std::string ProbeLog() {
    std::vector<uint8_t> bytes;
    testsupport::ReadFileBytes(log_, bytes);
    return std::string(bytes.begin(), bytes.end());
  }
  testsupport::TempDir dir_{L"probe"};
  std::wstring log_;
};
