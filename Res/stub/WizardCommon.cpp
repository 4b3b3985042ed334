#include "WizardCommon.h"

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include "SfxContainer.h"
#include "StubSettings.h"
#include "StubState.h"
#include "StubStrings.h"
#include "WizardResource.h"

namespace stub {

namespace {

// The header texts that the frame points at, one pair per page.
WizardHeaderTexts g_headers[kPageComplete + 1];

}  // namespace

void CreateWizardTitleFont() {
  if (g_WizardTitleFont) return;
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof(metrics);
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) return;
  LOGFONTW font = metrics.lfMessageFont;
  font.lfWeight = FW_BOLD;
  wchar_t face[LF_FACESIZE];
  LoadStubString(g_SegoeDialogs ? IDS_TITLE_FONT_SEGOE : IDS_TITLE_FONT, face, ARRAYSIZE(face));
  lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  font.lfHeight = -(dpi * (g_JapaneseUi ? 12 : 10) / 72);
  g_WizardTitleFont = CreateFontIndirectW(&font);
}

void ReleaseWizardResources() {
  if (g_WizardTitleFont) DeleteObject(g_WizardTitleFont);
  if (g_ClassicPanelBitmap) DeleteObject(g_ClassicPanelBitmap);
  if (g_Wiz97PanelBitmap) DeleteObject(g_Wiz97PanelBitmap);
  g_WizardTitleFont = nullptr;
  g_ClassicPanelBitmap = g_Wiz97PanelBitmap = nullptr;
}

void ApplyWizardCaption(HWND page) {
  HWND frame = GetParent(page);
  if (frame) SetWindowTextW(frame, PackageCaption());
}

void SetClassicPanelBitmap(HWND page) {
  if (!g_Settings || !(g_Settings->FlagsA & SfxFlagsA::UsePanelBitmap) || !g_ClassicPanelBitmap)
    return;
  SendDlgItemMessageW(page, IDC_WIZ_PANEL, STM_SETIMAGE, IMAGE_BITMAP,
                      reinterpret_cast<LPARAM>(g_ClassicPanelBitmap));
}

void LoadWizardHeaderTexts(WizardPage page, WizardHeaderTexts* texts) {
  texts->title[0] = texts->subtitle[0] = 0;
  UINT title = 0, subtitle = 0;
  switch (page) {
    case kPageReadMe:
      title = IDS_README_TITLE;
      subtitle = IDS_README_SUBTITLE;
      break;
    case kPageDestination:
      title = IDS_DESTINATION_TITLE;
      subtitle = IDS_DESTINATION_SUBTITLE;
      break;
    case kPageReady:
      title = IDS_READY_TITLE;
      subtitle = IDS_READY_SUBTITLE;
      break;
    case kPagePerforming:
      title = IDS_PERFORMING_TITLE;
      subtitle = IDS_PERFORMING_SUBTITLE;
      break;
    case kPageWelcome:
    case kPageComplete:
      return;
  }
  LoadStubString(title, texts->title, ARRAYSIZE(texts->title));
  LoadStubString(subtitle, texts->subtitle, ARRAYSIZE(texts->subtitle));
}

void ShowWizardHeader(HWND window, WizardPage page) {
  if (!g_WizardNewStyle || IsExteriorPage(page)) return;
  HWND frame = GetParent(window);
  const LRESULT index = SendMessageW(frame, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(window), 0);
  if (index < 0) return;
  WizardHeaderTexts* own = &g_headers[page];
  LoadWizardHeaderTexts(page, own);
  // The subtitle first: Wine's sheet stores a new subtitle as the title as
  // well, which the title that follows puts right.
  SendMessageW(frame, PSM_SETHEADERSUBTITLEW, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(own->subtitle));
  SendMessageW(frame, PSM_SETHEADERTITLEW, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(own->title));
}

}  // namespace stub
