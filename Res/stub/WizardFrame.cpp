// RunWizard: the checks made before any window of the wizard exists, the
// pages, the property sheet in the classic or the new style, and the
// sheet's end as the wizard result.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <string>
#include <vector>

#include "ArchiveOpen.h"
#include "CabDecoder.h"
#include "ExtensionRecord.h"
#include "Extraction.h"
#include "InstallFolder.h"
#include "InstallSteps.h"
#include "InstallWorker.h"
#include "Registry.h"
#include "SavedInstallPath.h"
#include "ScopedHandles.h"
#include "SfxContainer.h"
#include "StubExtension.h"
#include "StubLog.h"
#include "StubSettings.h"
#include "StubState.h"
#include "StubStrings.h"
#include "TessalyResource.h"
#include "WizardPages.h"
#include "WizardPlan.h"
#include "WizardReadMe.h"
#include "WizardResource.h"
#include "WizardCommon.h"

namespace stub {

namespace {

const int kResultReadMeFailed = 4;
const int kResultWizardFailed = 16;

// The read-me (ExplainFile with a Japanese interface, ExplainFileE with an
// English one, the other when the preferred one is empty): loaded, decoded
// and its CRC-16 taken. 0 when there is none or it loaded.
int LoadReadMe(bool* show) {
  const StubSettings& s = *g_Settings;
  *show = false;
  const wchar_t* name = g_JapaneseUi ? s.ExplainFile : s.ExplainFileE;
  if (!*name) name = g_JapaneseUi ? s.ExplainFileE : s.ExplainFile;
  if (!*name) return 0;
  DWORD size = 0;
  vesmarin::ScopedGlobal block(
      g_Archive && g_Archive->Decoder ? g_Archive->Decoder->ExtractToMemory(name, &size) : nullptr);
  const uint8_t* bytes = block ? static_cast<const uint8_t*>(GlobalLock(block.get())) : nullptr;
  const UINT failure = TakeReadMeText(bytes, bytes ? size : 0, &g_ReadMeText);
  if (bytes) GlobalUnlock(block.get());
  if (failure != 0) {
    StubLog(L"Wizard: read-me %ls not taken from the archive or not decodable\n", name);
    ShowStubStringMessage(nullptr, failure, MB_OK | MB_ICONERROR);
    return kResultReadMeFailed;
  }
  g_ReadMeCrc = ReadMeTextCrc(g_ReadMeText);
  DWORD value = 0;
  const bool read =
      ReadRegDword(SavedPathRoot(s.SaveExplainShowFlagRootKey), s.SaveExplainShowFlagKey,
                   s.SaveExplainShowFlagValue, &value) == RegReadResult::kRead;
  *show = !ReadMeSkipped(s.FlagsB, read, value, g_ReadMeCrc);
  return 0;
}

DLGPROC PageProcedure(WizardPage page) {
  switch (page) {
    case kPageWelcome:
      return WelcomePageProc;
    case kPageReadMe:
      return ReadMePageProc;
    case kPageDestination:
      return DestinationPageProc;
    case kPageReady:
      return ReadyPageProc;
    case kPagePerforming:
      return PerformingPageProc;
    case kPageComplete:
      return CompletePageProc;
  }
  return nullptr;
}

}  // namespace

int RunWizard() {
  StubSettings& s = *g_Settings;
  g_WizardNewStyle = (s.FlagsA & SfxFlagsA::UseNewWizard) != 0;
  g_WizardInstallCompleted = g_WizardWorkerStarted = g_WizardFailureReported = false;

  bool showReadMe = false;
  int result = LoadReadMe(&showReadMe);
  if (result != 0) return result;

  WizardPlanInput input = {s.FlagsA, s.FlagsB, showReadMe, OffersExtraShortcuts(s),
                           *s.CmdLine != 0};
  const std::vector<WizardPage> plan = PlanWizardPages(input);
  std::vector<HPROPSHEETPAGE> pages;
  bool destinationPage = false;
  WizardHeaderTexts headers[kPageComplete + 1];
  size_t headerCount = 0;
  for (WizardPage page : plan) {
    if (g_WizardNewStyle && !IsExteriorPage(page))
      LoadWizardHeaderTexts(page, &headers[headerCount]);
    DLGPROC procedure = PageProcedure(page);
    if (!procedure) {
      StubLog(L"Wizard: page %d is not available and left out\n", static_cast<int>(page));
      continue;
    }
    if (page == kPageDestination) destinationPage = true;
    PROPSHEETPAGEW sheetPage = {};
    sheetPage.dwSize = sizeof(sheetPage);
    sheetPage.hInstance = g_Instance;
    sheetPage.pszTemplate =
        MAKEINTRESOURCEW(WizardPageTemplate(page, g_WizardNewStyle, g_SegoeDialogs));
    sheetPage.pfnDlgProc = procedure;
    if (g_WizardNewStyle) {
      if (IsExteriorPage(page)) {
        sheetPage.dwFlags |= PSP_HIDEHEADER;
      } else {
        // The page sets its header again when it becomes active.
        sheetPage.dwFlags |= PSP_USEHEADERTITLE | PSP_USEHEADERSUBTITLE;
        const WizardHeaderTexts& texts = headers[headerCount++];
        sheetPage.pszHeaderTitle = texts.title;
        sheetPage.pszHeaderSubTitle = texts.subtitle;
      }
    }
    HPROPSHEETPAGE handle = CreatePropertySheetPageW(&sheetPage);
    if (!handle) {
      for (HPROPSHEETPAGE created : pages) DestroyPropertySheetPage(created);
      return kResultWizardFailed;
    }
    pages.push_back(handle);
  }
  if (!destinationPage) {
    result = DecideInstallFolderWithoutPage();
    if (result != 0) {
      for (HPROPSHEETPAGE created : pages) DestroyPropertySheetPage(created);
      return result;
    }
  }

  PROPSHEETHEADERW sheet = {};
  sheet.dwSize = sizeof(sheet);
  sheet.dwFlags = WizardSheetFlags(g_WizardNewStyle);
  sheet.hwndParent = nullptr;
  sheet.hInstance = g_Instance;
  sheet.pszIcon = MAKEINTRESOURCEW(IDI_TESSALY);
  sheet.pszCaption = PackageCaption();
  sheet.nPages = static_cast<UINT>(pages.size());
  sheet.nStartPage = 0;
  sheet.phpage = pages.data();
  HBITMAP watermark = nullptr, headerImage = nullptr;
  if (g_WizardNewStyle) {
    watermark = g_ClassicPanelBitmap;
    if (!watermark) watermark = LoadBitmapW(g_Instance, MAKEINTRESOURCEW(IDB_WIZ97_WATERMARK));
    headerImage = g_Wiz97PanelBitmap;
    if (!headerImage) headerImage = LoadBitmapW(g_Instance, MAKEINTRESOURCEW(IDB_WIZ97_HEADER));
    sheet.hbmWatermark = watermark;
    sheet.hbmHeader = headerImage;
  }
  const INT_PTR sheetResult = PropertySheetW(&sheet);
  StubLog(L"Wizard: property sheet returned %ld\n", static_cast<long>(sheetResult));
  if (watermark && watermark != g_ClassicPanelBitmap) DeleteObject(watermark);
  if (headerImage && headerImage != g_Wiz97PanelBitmap) DeleteObject(headerImage);

  g_WizardFrame = nullptr;
  g_TaskbarWindow = nullptr;
  ExtensionRecord* record = ExtensionRecordInUse();
  if (record) record->reserved = nullptr;
  return MapWizardResult(sheetResult, g_WizardInstallCompleted);
}

}  // namespace stub
