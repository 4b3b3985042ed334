// What the installer wizard's pages share: their private messages, the
// title font and panel bitmaps that the start-up prepares (held in the run
// state, StubState.h), the caption and the new-style header.
#pragma once
#include <windows.h>

#include "WizardPlan.h"

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

// The new-style header texts of an inner page (Read Me, Select Destination
// Folder, Ready, Performing Installation); both empty for the exterior pages.
struct WizardHeaderTexts {
  wchar_t title[128];
  wchar_t subtitle[256];
};
void LoadWizardHeaderTexts(WizardPage page, WizardHeaderTexts* texts);

// New style: an inner page sets its header title and subtitle when it
// becomes active (the classic style has no header: nothing happens). The
// frame keeps pointing at the texts, which live here, one pair per page.
void ShowWizardHeader(HWND window, WizardPage page);

}  // namespace stub
