// Whether a control's text fits the control, measured with the control's
// own font as Windows draws it: statics by DrawTextW (wrapped ones with
// DT_WORDBREAK), buttons, check boxes, radio buttons and group box captions
// on one line (or wrapped with BS_MULTILINE), allowing for a push button's
// frame and a check box's box; link controls (SysLink) like wrapped
// statics, without their markup. Empty texts, owner-drawn controls, images and
// statics that shorten their text with an ellipsis count as fitting.
// Full-width (Japanese) characters count an em of the font each at least,
// as the Japanese fonts dialogs name draw them, also where the machine's
// stand-in for such a font draws them narrower.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace testsupport {

struct TextMisfit {
  int controlId = 0;
  std::wstring text;
  SIZE needed = {};  // pixels
  SIZE has = {};     // the control's client area
};

// The control's current text, or the given text as if it were the control's.
bool TextFits(HWND control, TextMisfit* misfit = nullptr);
bool TextFits(HWND control, const std::wstring& text, TextMisfit* misfit = nullptr);
// The misfits among a dialog's direct child controls.
std::vector<TextMisfit> DialogMisfits(HWND dialog);

}  // namespace testsupport
