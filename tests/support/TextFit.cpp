#include "TextFit.h"

namespace testsupport {

namespace {

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = L"";
  GetClassNameW(window, name, 64);
  return name;
}

HFONT FontOf(HWND control) {
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  if (!font && GetParent(control))
    font = reinterpret_cast<HFONT>(SendMessageW(GetParent(control), WM_GETFONT, 0, 0));
  return font ? font : static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
}

// Kana, kanji, CJK punctuation and full-width forms: a Japanese font draws
// each of them one em wide.
bool FullWidth(wchar_t c) {
  return (c >= 0x3000 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) ||
         (c >= 0xFF01 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) || c == 0x203B;
}

// A device context of the control with the control's font.
class Measure {
 public:
  explicit Measure(HWND control) : control_(control), dc_(GetDC(control)) {
    old_ = SelectObject(dc_, FontOf(control));
    GetClientRect(control, &client_);
    GetCharWidth32W(dc_, L'0', L'0', &zeroWidth_);
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc_, &metrics);
    em_ = metrics.tmHeight - metrics.tmInternalLeading;
  }
  ~Measure() {
    SelectObject(dc_, old_);
    ReleaseDC(control_, dc_);
  }
  Measure(const Measure&) = delete;
  Measure& operator=(const Measure&) = delete;

  int width() const { return client_.right; }
  int height() const { return client_.bottom; }
  int zeroWidth() const { return zeroWidth_; }
  int dpi() const { return GetDeviceCaps(dc_, LOGPIXELSX); }

  // The size DrawTextW gives the text on one line, or wrapped at the width.
  // Where the font draws full-width characters narrower than an em (a
  // stand-in for the Japanese font the dialog names), the text is measured
  // as the named font draws it: one line grows by what they lack, a wrapped
  // text wraps as if every glyph were wider by the same share.
  SIZE Text(const std::wstring& text, UINT flags, int wrapWidth) const {
    const std::wstring shown = (flags & DT_NOPREFIX) ? text : WithoutMarks(text);
    SIZE plain = {};
    GetTextExtentPoint32W(dc_, shown.c_str(), static_cast<int>(shown.size()), &plain);
    const int lacking = Lacking(shown);
    bool wraps = (flags & DT_WORDBREAK) != 0;
    // A text whose line, full-width characters widened, fits the width
    // stays one line.
    if (wraps && lacking > 0 && plain.cx + lacking <= wrapWidth &&
        shown.find_first_of(L"\r\n") == std::wstring::npos) {
      flags = (flags & ~static_cast<UINT>(DT_WORDBREAK)) | DT_SINGLELINE;
      wraps = false;
    }
    int width = wrapWidth;
    if (wraps && lacking > 0 && plain.cx > 0)
      width = MulDiv(wrapWidth, plain.cx, plain.cx + lacking);
    RECT r = {0, 0, width, 0};
    DrawTextW(dc_, text.c_str(), static_cast<int>(text.size()), &r,
              flags | DT_CALCRECT | DT_EXPANDTABS);
    SIZE size = {r.right - r.left, r.bottom - r.top};
    if (!wraps) size.cx += lacking;
    else if (lacking > 0 && plain.cx > 0) size.cx = MulDiv(size.cx, plain.cx + lacking, plain.cx);
    return size;
  }
  // One line without its mnemonic marks, by GetTextExtentPoint32W, its
  // full-width characters an em wide at least.
  SIZE Line(const std::wstring& text) const {
    const std::wstring shown = WithoutMarks(text);
    SIZE size = {};
    GetTextExtentPoint32W(dc_, shown.c_str(), static_cast<int>(shown.size()), &size);
    size.cx += Lacking(shown);
    return size;
  }

 private:
  static std::wstring WithoutMarks(const std::wstring& text) {
    std::wstring shown;
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == L'&' && i + 1 < text.size()) ++i;
      shown.push_back(text[i]);
    }
    return shown;
  }
  // What the full-width characters of the text lack of an em each.
  int Lacking(const std::wstring& shown) const {
    int lacking = 0;
    for (wchar_t c : shown) {
      if (!FullWidth(c)) continue;
      SIZE glyph = {};
      GetTextExtentPoint32W(dc_, &c, 1, &glyph);
      if (glyph.cx < em_) lacking += em_ - glyph.cx;
    }
    return lacking;
  }

  HWND control_;
  HDC dc_;
  HGDIOBJ old_;
  RECT client_ = {};
  int zeroWidth_ = 0;
  int em_ = 0;
};

// What the text needs in a static; false for statics without text to fit.
bool StaticNeeds(const Measure& m, LONG style, const std::wstring& text, SIZE& needed) {
  const LONG type = style & SS_TYPEMASK;
  if (style & SS_ELLIPSISMASK) return false;
  const UINT prefix = (style & SS_NOPREFIX) ? DT_NOPREFIX : 0;
  if (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT) {
    needed = (style & SS_CENTERIMAGE) ? m.Text(text, prefix | DT_SINGLELINE, 0)
                                      : m.Text(text, prefix | DT_WORDBREAK, m.width());
    return true;
  }
  if (type == SS_SIMPLE || type == SS_LEFTNOWORDWRAP) {
    needed = m.Text(text, prefix | DT_SINGLELINE, 0);
    return true;
  }
  return false;  // images, frames, owner-drawn
}

// What the text needs in a button; false for buttons without text to fit.
bool ButtonNeeds(const Measure& m, LONG style, const std::wstring& text, SIZE& needed) {
  const LONG type = style & BS_TYPEMASK;
  if (style & (BS_BITMAP | BS_ICON)) return false;
  const bool multiline = (style & BS_MULTILINE) != 0;
  const bool box = type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON ||
                   type == BS_3STATE || type == BS_AUTO3STATE || type == BS_AUTORADIOBUTTON;
  if (box && !(style & BS_PUSHLIKE)) {
    // The box (13 pixels at 96 dpi) and the gap before the text.
    const int beside = 12 * m.dpi() / 96 + 1 + m.zeroWidth() / 2;
    needed = multiline ? m.Text(text, DT_WORDBREAK, m.width() - beside) : m.Line(text);
    needed.cx += beside;
    return true;
  }
  if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || box) {
    // A push button keeps an edge and a focus frame on each side.
    const int margin = 2 * (GetSystemMetrics(SM_CXEDGE) + 1);
    needed = multiline ? m.Text(text, DT_WORDBREAK, m.width() - margin) : m.Line(text);
    needed.cx += margin;
    return true;
  }
  if (type == BS_GROUPBOX) {
    // The caption sits on the frame, inset from both ends; it overlaps
    // the frame's top, so only its width counts.
    needed = m.Line(text);
    needed.cx += 2 * m.zeroWidth() + 4;
    needed.cy = 0;
    return true;
  }
  return false;  // owner-drawn, command links, split buttons
}

// A link control's text as shown: its markup (<a ...> and </a>) left out.
std::wstring LinkShownText(const std::wstring& text) {
  std::wstring shown;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'<') {
      const size_t end = text.find(L'>', i);
      const std::wstring tag = end == std::wstring::npos ? L"" : text.substr(i + 1, 2);
      if (end != std::wstring::npos && (tag == L"/a" || tag == L"/A" || tag[0] == L'a' ||
                                        tag[0] == L'A')) {
        i = end;
        continue;
      }
    }
    shown.push_back(text[i]);
  }
  return shown;
}

}  // namespace

bool TextFits(HWND control, TextMisfit* misfit) {
  wchar_t text[1024] = L"";
  GetWindowTextW(control, text, 1024);
  return TextFits(control, text, misfit);
}

bool TextFits(HWND control, const std::wstring& text, TextMisfit* misfit) {
  if (text.empty()) return true;
  const std::wstring cls = ClassOf(control);
  const LONG style = GetWindowLongW(control, GWL_STYLE);
  Measure m(control);
  SIZE needed = {};
  bool measured = false;
  if (lstrcmpiW(cls.c_str(), L"Static") == 0) measured = StaticNeeds(m, style, text, needed);
  else if (lstrcmpiW(cls.c_str(), L"Button") == 0) measured = ButtonNeeds(m, style, text, needed);
  else if (lstrcmpiW(cls.c_str(), L"SysLink") == 0) {
    // A link wraps its text at word boundaries like a static.
    needed = m.Text(LinkShownText(text), DT_WORDBREAK | DT_NOPREFIX, m.width());
    measured = true;
  }
  if (!measured) return true;
  const SIZE has = {m.width(), m.height()};
  if (needed.cx <= has.cx && needed.cy <= has.cy) return true;
  if (misfit) {
    misfit->controlId = GetDlgCtrlID(control);
    misfit->text = text;
    misfit->needed = needed;
    misfit->has = has;
  }
  return false;
}

std::vector<TextMisfit> DialogMisfits(HWND dialog) {
  std::vector<TextMisfit> misfits;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    TextMisfit misfit;
    if (!TextFits(child, &misfit)) misfits.push_back(misfit);
  }
  return misfits;
}

}  // namespace testsupport
