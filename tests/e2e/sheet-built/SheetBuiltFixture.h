// Installers whose definition file was made only through the builder's
// window: the builder started without a definition file, its settings
// initialised with the window's own command, the main window's fields and
// the "Detailed settings" sheet set as a user sets them, the settings saved
// with the window's "Save settings" command; then that saved file built by
// the batch builder and the installer run for real.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "DialogDriver.h"
#include "SheetFixture.h"
#include "TestCabinet.h"
#include "TestSupport.h"

namespace sheetbuilt {

// Page templates of the sheet.
const int kStartupPage = 162, kProgramPage = 187, kDesignPage = 178, kDescriptionPage = 121,
          kExtractPage = 120, kShortcutPage = 125, kUninstallerPage = 130, kAutoExecPage = 129,
          kSpecialPage = 166, kExtensionPage = 180;

// A name unique to this process and call, for keys, groups and servers.
std::wstring UniqueId();

class Scenario {
 public:
  explicit Scenario(const std::wstring& tag);
  ~Scenario();

  const testsupport::TempDir& dir() const { return dir_; }
  // Where the package installs, with a trailing backslash.
  std::wstring InstallFolder() const { return dir_ / L"installed\\"; }
  std::wstring Archive() const { return dir_ / L"archive.cab"; }
  std::wstring Output() const { return dir_ / L"SheetSetup.exe"; }
  // The definition file the window saves.
  std::wstring Definition() const { return dir_ / L"made-in-window.ini"; }

  // Writes the archive, starts the builder without a definition file,
  // initialises its settings through the window's command, fills archive,
  // output and title in the main window and opens the sheet; there the
  // package is made ultra-silent (design page) and 64-bit (program page)
  // and set to install into InstallFolder() without asking (extract page,
  // which stays current). False, with a failure reported, when a step did
  // not take.
  bool Begin(const testsupport::TestCabinet& archive);
  sheettest::SheetRun& sheet() { return *run_; }
  // A builder dialog that a button of the current page opened, once it
  // shows the control.
  HWND OpenFromPage(int button, int controlId);
  // OK on the sheet, "Save settings" into Definition() through the file
  // dialog, and the builder's exit.
  bool Finish();

  // A key of the saved definition file as the profile API reads it;
  // "<none>" when it is missing.
  std::wstring Key(const wchar_t* name) const;
  // Builds the saved definition file with the batch builder.
  bool Build();
  // Runs the installer to its end under the stub-run lock, answering boxes
  // with OK.
  testsupport::DrivenResult Install();

 private:
  testsupport::TempDir dir_;
  std::unique_ptr<sheettest::SheetRun> run_;
};

// Controls of a builder dialog in the other process.
using sheettest::Choose;
using sheettest::SetCheck;
using sheettest::SetText;
// Presses OK and waits until the dialog is gone.
bool Confirm(HWND dialog);
// Picks the archive item in the item picker a button opened.
bool Pick(sheettest::SheetRun& run, const std::wstring& item);

std::string Content(const std::wstring& path);
std::wstring BoxTexts(const testsupport::DrivenResult& result);

}  // namespace sheetbuilt
