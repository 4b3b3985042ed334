// Process-wide state of the installer wizard that its pages share: the
// style, the frame window, the bitmaps and the title font that the start-up
// prepares, and the private messages of the pages.
#pragma once
#include <windows.h>

namespace stub {

// A page re-applies the package caption to the frame (posted to itself on
// every activation).
const UINT kWizardCaptionMessage = 0x8067;
// The Performing Installation page runs the installation.
const UINT kWizardStartMessage = 0x8068;
// A page moves the focus to the window in wParam (posted, so that it comes
// after the frame's own focus handling).
const UINT kWizardFocusMessage = 0x8069;
// A page's deferred step after its activation.
const UINT kWizardDeferredMessage = WM_USER + 10;

// The new-style wizard (UseNewWizard when the wizard starts).
extern bool g_WizardNewStyle;
// The property sheet window while the wizard runs, else null.
extern HWND g_WizardFrame;
// The package's panel bitmaps when the start-up loaded them, else null.
extern HBITMAP g_ClassicPanelBitmap;
extern HBITMAP g_Wiz97PanelBitmap;
// The new-style title font, or null.
extern HFONT g_WizardTitleFont;
// The installation ran to its end (extraction and install worker) inside
// the wizard.
extern bool g_WizardInstallCompleted;
// The install worker has started: from then on the user cannot cancel.
extern bool g_WizardWorkerStarted;
// The Performing Installation page reported a failure itself (event 1007
// and its box), so the run does not report it again.
extern bool g_WizardFailureReported;

// Creates the new-style title font: the non-client metrics' message font,
// bold, face string 44 (string 68 with the Segoe UI set), 12 points with a
// Japanese interface and 10 with an English one.
void CreateWizardTitleFont();
// Deletes the font and the panel bitmaps.
void ReleaseWizardResources();

// The common handling of the caption message: the frame's caption becomes
// the package caption.
void ApplyWizardCaption(HWND page);

// Classic pages: the package's panel bitmap replaces the built-in one.
void SetClassicPanelBitmap(HWND page);

// New style: the header title and subtitle of this page (string ids). The
// frame keeps pointing at the texts: they live in the page's own buffers.
struct WizardHeaderTexts {
  wchar_t title[128];
  wchar_t subtitle[256];
};
void SetWizardHeader(HWND page, UINT titleId, UINT subtitleId, WizardHeaderTexts* texts);

}  // namespace stub
