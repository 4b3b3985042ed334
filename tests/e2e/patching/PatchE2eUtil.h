// Shared by the end-to-end patching tests: definition files, runs of the
// builder that answer its message boxes, and hand-made version resources.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

#include "PatchTestUtil.h"

namespace patche2e {

using patchtest::Bytes;

struct BuilderRun {
  bool started = false;
  bool timedOut = false;
  DWORD exitCode = 0;
  // Text of every message box the builder showed; each was closed with OK.
  std::vector<std::wstring> boxes;
};
// Runs Vesmarin.exe with the definition file, TMP and TEMP pointing at
// tempFolder.
BuilderRun RunBuilder(const std::wstring& definition, const std::wstring& tempFolder);

// The stub image at the head of an output program (the bytes before its
// container header); empty when the file is not a well-formed output.
Bytes StubImageOf(const std::wstring& output);

// A version resource with the two strings under translation 0409/04b0 but
// without the fixed file information.
Bytes VersionWithoutFixedInfo(const std::wstring& description, const std::wstring& internalName);

// The messages of a refused uninstaller, as the builder's English string
// table holds them, with the check's code filled in.
std::wstring ErrorMessage(const std::wstring& code);          // 403
std::wstring NotGenuineMessage(const std::wstring& code);     // 404
std::wstring VersionMessage(const std::wstring& code);        // 405
std::wstring BitnessMessage(const std::wstring& code);        // 406
std::wstring UnsignedMessage(const std::wstring& code);       // 407

// The folder's file names (empty when it holds none).
std::vector<std::wstring> FilesIn(const std::wstring& folder);

}  // namespace patche2e
