#include "SheetBuiltFixture.h"

#include <gtest/gtest.h>

#include <vector>

#include "BuilderWindowFixture.h"

namespace sheetbuilt {

namespace {

// Main window: commands and fields.
const int kResetCommand = 8, kSaveCommand = 5;
const int kArchiveEdit = 1000, kOutputEdit = 1015, kTitleEdit = 1008, kTitleEditE = 1011;
const int kResetQuestion = 213, kNoWizardWarning = 296;
const int kFileNameBox = 1148;  // the file dialog's file-name combo box
const int kPickerList = 1007;
// Design page: the design list and its ultra-silent entry; program page:
// the 64-bit stub.
const int kDesignList = 1265, kUltraSilent = 3, kStub64 = 1221;
// Extract page.
const int kAskPath = 1005, kUseFolder = 1049, kBaseList = 1069, kFolderEdit = 1002,
          kAskOverwrite = 1007, kAbsolutePath = 6;

using sheettest::Send;

bool Step(bool done, const char* what) {
  if (!done) ADD_FAILURE() << "the window did not take: " << what;
  return done;
}

}  // namespace

std::wstring UniqueId() {
  static LONG counter = 0;
  return std::to_wstring(GetCurrentProcessId()) + L"-" +
         std::to_wstring(InterlockedIncrement(&counter));
}

Scenario::Scenario(const std::wstring& tag) : dir_(tag) {}

Scenario::~Scenario() { run_.reset(); }

bool Scenario::Begin(const testsupport::TestCabinet& archive) {
  if (!Step(archive.WriteTo(Archive()), "archive written")) return false;
  run_.reset(new sheettest::SheetRun(""));
  if (!Step(run_->started(), "builder started")) return false;
  builderwindow::BuilderRun& builder = run_->builder();
  // "Initialize settings", answered Yes. The window shows the initial
  // settings after the box has gone: a title typed before is emptied then,
  // and only after that are the fields filled.
  builder.SetText(kTitleEdit, L"before initialising");
  builder.Command(kResetCommand);
  if (!Step(builder.AnswerNextBox(IDYES).text == sheettest::BuilderString(kResetQuestion) &&
                builderwindow::WaitFor([&] { return builder.Text(kTitleEdit).empty(); }, 15000),
            "initialise settings"))
    return false;
  builder.SetText(kArchiveEdit, Archive());
  builder.SetText(kOutputEdit, Output());
  builder.SetText(kTitleEdit, L"Sheet Built");
  builder.SetText(kTitleEditE, L"Sheet Built");
  if (!Step(run_->Open(), "sheet opened")) return false;

  sheettest::SheetRun& run = *run_;
  if (!Step(run.Select(kDesignPage), "design page")) return false;
  if (!Step(run.ChooseExpectingBox(kDesignList, kUltraSilent).text ==
                sheettest::BuilderString(kNoWizardWarning),
            "ultra-silent design"))
    return false;
  if (!Step(run.Select(kProgramPage) && run.Click(kStub64) && run.Checked(kStub64), "64-bit stub"))
    return false;
  if (!Step(run.Select(kExtractPage), "extract page")) return false;
  std::wstring folder = InstallFolder();
  folder.pop_back();
  const bool set = run.SetCheck(kAskPath, false) && run.SetCheck(kUseFolder, true) &&
                   run.SetCheck(kAskOverwrite, false);
  run.Choose(kBaseList, kAbsolutePath);
  run.SetText(kFolderEdit, folder);
  return Step(set && run.Text(kFolderEdit) == folder, "extract destination");
}

HWND Scenario::OpenFromPage(int button, int controlId) {
  if (!testsupport::PressButton(run_->Page(), button)) return nullptr;
  return run_->builder().WaitDialog(controlId);
}

bool Scenario::Finish() {
  if (!Step(run_->Ok(), "sheet closed with OK")) return false;
  builderwindow::BuilderRun& builder = run_->builder();
  builder.Command(kSaveCommand);
  HWND save = builder.WaitDialog(kFileNameBox);
  if (!Step(save != nullptr, "save dialog")) return false;
  SetText(save, kFileNameBox, Definition());
  PostMessageW(save, WM_COMMAND, IDOK, 0);
  if (!Step(testsupport::WaitForWindowGone(save, 15000) &&
                builderwindow::WaitFor([&] { return testsupport::PathExists(Definition()); },
                                       15000),
            "settings saved"))
    return false;
  return Step(builder.Exit() == 0, "builder ended");
}

std::wstring Scenario::Key(const wchar_t* name) const {
  wchar_t value[2048] = {};
  GetPrivateProfileStringW(L"Vesmarin", name, L"<none>", value, 2048, Definition().c_str());
  return value;
}

bool Scenario::Build() {
  DeleteFileW(Output().c_str());
  // Batch mode shows no window; a box would be a fault, and is answered so
  // that the run ends.
  wchar_t saved[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, saved);
  SetCurrentDirectoryW(dir_.path().c_str());
  testsupport::DrivenResult built = testsupport::RunAnsweringBoxes(
      L"\"" + testsupport::BinPath(L"Vesmarin.exe") + L"\" \"" + Definition() + L"\"", nullptr,
      120000);
  SetCurrentDirectoryW(saved);
  EXPECT_TRUE(built.boxes.empty()) << testsupport::Narrow(BoxTexts(built));
  return Step(built.started && !built.timedOut && built.exitCode == 0 &&
                  testsupport::PathExists(Output()),
              "batch build of the saved file");
}

testsupport::DrivenResult Scenario::Install() {
  testsupport::StubRunLock lock;
  return testsupport::RunAnsweringBoxes(L"\"" + Output() + L"\"", nullptr, 120000);
}

bool Confirm(HWND dialog) {
  if (!dialog || !testsupport::PressButton(dialog, IDOK)) return false;
  return testsupport::WaitForWindowGone(dialog, 10000);
}

bool Pick(sheettest::SheetRun& run, const std::wstring& item) {
  HWND picker = run.builder().WaitDialog(kPickerList);
  if (!picker) return false;
  HWND list = GetDlgItem(picker, kPickerList);
  const LRESULT index =
      Send(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(item.c_str()));
  if (index < 0) return false;
  Send(list, LB_SETCURSEL, static_cast<WPARAM>(index));
  Send(picker, WM_COMMAND, MAKEWPARAM(kPickerList, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
  return Confirm(picker);
}

std::string Content(const std::wstring& path) {
  std::vector<uint8_t> bytes;
  if (!testsupport::ReadFileBytes(path, bytes)) return "(missing)";
  return std::string(bytes.begin(), bytes.end());
}

std::wstring BoxTexts(const testsupport::DrivenResult& result) {
  std::wstring text;
  for (const testsupport::SeenBox& box : result.boxes)
    text += L"[" + box.caption + L"] " + box.text + L"\n";
  return text;
}

}  // namespace sheetbuilt
