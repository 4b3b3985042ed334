// Every text of every dialog fits its control, in every language: each
// dialog template of each program in the bin folder (so programs and
// dialogs added later are covered without a change here) is created hidden
// with a do-nothing dialog procedure, and each static, button, check box,
// radio button, group box and link text is measured with the dialog's own
// font.
// Empty texts (set at run time), owner-drawn controls, images and texts
// that end in an ellipsis by design are skipped.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "DialogTemplate.h"
#include "TestSupport.h"
#include "TextFit.h"

namespace {

using testsupport::TextMisfit;

const LANGID kEnglish = 0x0409;
const LANGID kJapanese = 0x0411;

struct DialogTemplate {
  std::wstring program;
  std::wstring dialog;  // "#id" or the name
  LANGID language = 0;
  std::vector<uint8_t> bytes;
};

std::wstring NameOf(LPCWSTR name) {
  if (IS_INTRESOURCE(name)) return L"#" + std::to_wstring(reinterpret_cast<ULONG_PTR>(name));
  return name;
}

struct Enumeration {
  HMODULE module;
  std::wstring program;
  std::vector<DialogTemplate>* found;
};

BOOL CALLBACK OnLanguage(HMODULE module, LPCWSTR, LPCWSTR name, WORD language,
                         LONG_PTR context) {
  Enumeration* e = reinterpret_cast<Enumeration*>(context);
  DialogTemplate t;
  t.program = e->program;
  t.dialog = NameOf(name);
  t.language = language;
  t.bytes = testsupport::LoadDialogTemplate(module, name, language);
  if (!t.bytes.empty()) e->found->push_back(t);
  return TRUE;
}

BOOL CALLBACK OnName(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR context) {
  EnumResourceLanguagesW(module, type, name, &OnLanguage, context);
  return TRUE;
}

// Every program and library built into the bin folder, in name order.
std::vector<std::wstring> BuiltPrograms() {
  std::vector<std::wstring> names;
  for (const wchar_t* pattern : {L"*.exe", L"*.dll"}) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(testsupport::BinPath(pattern).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) continue;
    do {
      if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(data.cFileName);
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The dialog templates of every built program, each language on its own.
std::vector<DialogTemplate> AllTemplates() {
  std::vector<DialogTemplate> found;
  for (const std::wstring& program : BuiltPrograms()) {
    HMODULE module = LoadLibraryExW(testsupport::BinPath(program).c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module) continue;
    Enumeration e = {module, program, &found};
    EnumResourceNamesW(module, RT_DIALOG, &OnName, reinterpret_cast<LONG_PTR>(&e));
    FreeLibrary(module);
  }
  return found;
}

// The misfits of one template; false when it could not be created.
bool CheckTemplate(const std::vector<uint8_t>& bytes, HWND parent,
                   std::vector<TextMisfit>& misfits) {
  HWND dialog = testsupport::CreateDialogHidden(bytes, parent);
  if (!dialog) return false;
  misfits = testsupport::DialogMisfits(dialog);
  DestroyWindow(dialog);
  return true;
}

std::string Describe(const DialogTemplate& t, const TextMisfit& m) {
  std::ostringstream out;
  char language[8];
  snprintf(language, sizeof(language), "%04X", t.language);
  out << testsupport::Narrow(t.program) << " dialog " << testsupport::Narrow(t.dialog)
      << " language " << language << " control " << m.controlId << " \""
      << testsupport::Narrow(m.text) << "\": needs " << m.needed.cx << "x" << m.needed.cy
      << " pixels, has " << m.has.cx << "x" << m.has.cy << "\n";
  return out.str();
}

class DialogText : public ::testing::Test {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), 0xFFFF};
    InitCommonControlsEx(&controls);
    parent_ = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr,
                              nullptr, nullptr);
    ASSERT_NE(parent_, nullptr);
  }
  void TearDown() override { DestroyWindow(parent_); }

  HWND parent_ = nullptr;
};

TEST_F(DialogText, EveryTextFitsItsControlInEveryLanguage) {
  const std::vector<DialogTemplate> templates = AllTemplates();
  // A template carried by several programs (the test programs link the
  // programs' resources) is checked once, under the first program's name.
  std::set<std::vector<uint8_t>> seen;
  std::set<std::wstring> programs;
  std::string report;
  size_t checked = 0;
  for (const DialogTemplate& t : templates) {
    if (!seen.insert(t.bytes).second) continue;
    std::vector<TextMisfit> misfits;
    if (!CheckTemplate(t.bytes, parent_, misfits)) {
      report += testsupport::Narrow(t.program) + " dialog " + testsupport::Narrow(t.dialog) +
                " could not be created\n";
      continue;
    }
    ++checked;
    programs.insert(t.program);
    for (const TextMisfit& m : misfits) report += Describe(t, m);
  }
  EXPECT_TRUE(report.empty()) << report;
  // The walk found the programs that have dialogs today.
  EXPECT_GT(checked, 0u);
  EXPECT_TRUE(programs.count(L"Hollmere64.exe"));
  EXPECT_TRUE(programs.count(L"Tessaly64.exe"));
}

bool IsPropertyPage(const DialogTemplate& t) {
  testsupport::TemplateInfo info;
  return testsupport::ReadTemplate(t.bytes, info) && (info.style & WS_CHILD) &&
         (info.style & WS_CAPTION);
}

// The controls of property pages that reach past the page the sheet gives
// them. A program shows its pages of one language in one sheet, which makes
// one page area for all of them, as large as its largest page measured in
// the sheet's own font, while each page lays out its controls in its own
// font: where that is the larger, a page's last controls are cut.
std::string ControlsOutsideTheirPages(const std::vector<const DialogTemplate*>& pages,
                                      HWND owner) {
  std::vector<std::vector<uint8_t>> bytes;
  for (const DialogTemplate* t : pages) bytes.push_back(t->bytes);
  // The sheet takes its own template in the thread's language.
  const LCID locale = GetThreadLocale();
  SetThreadLocale(MAKELCID(pages.front()->language, SORT_DEFAULT));
  testsupport::HiddenPropertySheet sheet(bytes, owner);
  std::ostringstream out;
  for (size_t i = 0; i < pages.size(); ++i) {
    const DialogTemplate& t = *pages[i];
    char language[8];
    snprintf(language, sizeof(language), "%04X", t.language);
    const std::string where = testsupport::Narrow(t.program) + " dialog " +
                              testsupport::Narrow(t.dialog) + " language " + language;
    HWND page = sheet.Page(i);
    if (!page) {
      out << where << " could not be shown in a property sheet\n";
      continue;
    }
    // Each text fits its control as the sheet shows the page, in the font
    // the page has there.
    for (const TextMisfit& m : testsupport::DialogMisfits(page)) out << Describe(t, m);
    // Inside the page window, and inside the area any such sheet gives.
    RECT area;
    GetClientRect(page, &area);
    const SIZE least = sheet.LeastPageArea();
    if (least.cx < area.right) area.right = least.cx;
    if (least.cy < area.bottom) area.bottom = least.cy;
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      RECT r;
      GetWindowRect(child, &r);
      MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&r), 2);
      if (r.left >= 0 && r.top >= 0 && r.right <= area.right && r.bottom <= area.bottom)
        continue;
      wchar_t text[256] = L"";
      GetWindowTextW(child, text, 256);
      out << where << " control " << GetDlgCtrlID(child) << " \"" << testsupport::Narrow(text)
          << "\" reaches " << r.left << "," << r.top << "-" << r.right << "," << r.bottom
          << " in a page of " << area.right << "x" << area.bottom << " pixels\n";
    }
  }
  SetThreadLocale(locale);
  return out.str();
}

TEST_F(DialogText, EveryPropertyPageKeepsItsControlsInsideItsSheet) {
  const std::vector<DialogTemplate> templates = AllTemplates();
  std::map<std::pair<std::wstring, LANGID>, std::vector<const DialogTemplate*>> sheets;
  for (const DialogTemplate& t : templates)
    if (IsPropertyPage(t)) sheets[{t.program, t.language}].push_back(&t);
  // Sheets that the test programs carry as well are checked once.
  std::set<std::vector<std::vector<uint8_t>>> seen;
  std::string report;
  for (const auto& entry : sheets) {
    std::vector<std::vector<uint8_t>> pages;
    for (const DialogTemplate* t : entry.second) pages.push_back(t->bytes);
    if (seen.insert(pages).second) report += ControlsOutsideTheirPages(entry.second, parent_);
  }
  EXPECT_TRUE(report.empty()) << report;
  // The builder's sheet is among those checked, in both languages.
  EXPECT_TRUE(sheets.count({L"Vesmarin.exe", kEnglish}));
  EXPECT_TRUE(sheets.count({L"Vesmarin.exe", kJapanese}));
}

TEST_F(DialogText, EveryDialogExistsInEnglishAndJapanese) {
  std::map<std::wstring, std::set<LANGID>> languages;  // "program dialog" -> languages
  for (const DialogTemplate& t : AllTemplates())
    languages[t.program + L" dialog " + t.dialog].insert(t.language);
  std::string missing;
  for (const auto& entry : languages) {
    if (!entry.second.count(kEnglish)) missing += testsupport::Narrow(entry.first) + " English\n";
    if (!entry.second.count(kJapanese)) missing += testsupport::Narrow(entry.first) + " Japanese\n";
  }
  EXPECT_TRUE(missing.empty()) << missing;
}

// A template in memory: one control per misfit the walk must catch, and
// controls that fit.
class TemplateBuilder {
 public:
  TemplateBuilder(const std::wstring& font, WORD points) {
    Dword(DS_SETFONT | WS_POPUP | WS_CAPTION);
    Dword(0);
    countAt_ = bytes_.size();
    Word(0);
    for (int i = 0; i < 4; ++i) Word(i < 2 ? 0 : 200);
    Word(0);  // no menu
    Word(0);  // standard class
    Word(0);  // no caption
    Word(points);
    String(font);
  }
  void Add(const wchar_t* cls, DWORD style, short cx, short cy, WORD id, const std::wstring& text) {
    while (bytes_.size() % 4) bytes_.push_back(0);
    Dword(style | WS_CHILD | WS_VISIBLE);
    Dword(0);
    Word(5);
    Word(5);
    Word(static_cast<WORD>(cx));
    Word(static_cast<WORD>(cy));
    Word(id);
    String(cls);
    String(text);
    Word(0);
    ++bytes_[countAt_];
  }
  const std::vector<uint8_t>& bytes() const { return bytes_; }

 private:
  void Word(WORD w) { bytes_.insert(bytes_.end(), {static_cast<uint8_t>(w), static_cast<uint8_t>(w >> 8)}); }
  void Dword(DWORD d) {
    Word(static_cast<WORD>(d));
    Word(static_cast<WORD>(d >> 16));
  }
  void String(const std::wstring& s) {
    for (wchar_t c : s) Word(static_cast<WORD>(c));
    Word(0);
  }
  std::vector<uint8_t> bytes_;
  size_t countAt_ = 0;
};

TEST_F(DialogText, TheWalkCatchesEachKindOfMisfit) {
  TemplateBuilder builder(L"MS Shell Dlg", 8);
  const std::wstring longText = L"A text much too long for so narrow a control";
  builder.Add(L"Static", SS_LEFT, 180, 8, 1, L"Fits easily");
  builder.Add(L"Static", SS_LEFT, 40, 8, 2, longText);           // wraps into a second line
  builder.Add(L"Static", SS_LEFT, 60, 40, 3, longText);          // wraps, enough lines
  builder.Add(L"Static", SS_LEFTNOWORDWRAP, 40, 8, 4, longText);  // cut on one line
  builder.Add(L"Button", BS_PUSHBUTTON, 30, 14, 5, L"&Continue installing");
  builder.Add(L"Button", BS_PUSHBUTTON, 60, 14, 6, L"&OK");
  builder.Add(L"Button", BS_AUTOCHECKBOX, 40, 10, 7, L"Remember it");  // text fits, box does not
  builder.Add(L"Button", BS_AUTORADIOBUTTON, 120, 10, 8, L"Remember it");
  builder.Add(L"Button", BS_GROUPBOX, 30, 40, 9, L"Destination folder");
  builder.Add(L"Static", SS_LEFT, 40, 8, 10, L"");                // set at run time
  builder.Add(L"Button", BS_OWNERDRAW, 10, 10, 11, longText);     // drawn by its owner
  builder.Add(L"Static", SS_LEFT | SS_PATHELLIPSIS, 20, 8, 12, longText);
  // A link wraps into a second line it has no room for; its markup takes
  // no room.
  builder.Add(L"SysLink", 0, 60, 8, 13, L"<a>" + longText + L"</a>");
  builder.Add(L"SysLink", 0, 180, 8, 14, L"<a href=\"https://example.com/a/very/long/address\">Link</a>");
  std::vector<TextMisfit> misfits;
  ASSERT_TRUE(CheckTemplate(builder.bytes(), parent_, misfits));
  std::vector<int> ids;
  for (const TextMisfit& m : misfits) ids.push_back(m.controlId);
  EXPECT_EQ(ids, (std::vector<int>{2, 4, 5, 7, 9, 13}));

  // The check box's own width counts: the same text in a control exactly as
  // wide as the text is a misfit, and fits once the box is allowed for.
  HWND probe = CreateWindowExW(0, L"Button", L"Remember it", WS_CHILD | BS_AUTOCHECKBOX, 0, 0,
                               10, 10, parent_, nullptr, nullptr, nullptr);
  ASSERT_NE(probe, nullptr);
  HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  SendMessageW(probe, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SIZE text = {};
  HDC dc = GetDC(probe);
  HGDIOBJ old = SelectObject(dc, font);
  GetTextExtentPoint32W(dc, L"Remember it", 11, &text);
  SelectObject(dc, old);
  ReleaseDC(probe, dc);
  SetWindowPos(probe, nullptr, 0, 0, text.cx, text.cy + 4, SWP_NOZORDER | SWP_NOMOVE);
  EXPECT_FALSE(testsupport::TextFits(probe));
  SetWindowPos(probe, nullptr, 0, 0, text.cx + 20, text.cy + 4, SWP_NOZORDER | SWP_NOMOVE);
  EXPECT_TRUE(testsupport::TextFits(probe));
  // A text given instead of the control's own.
  EXPECT_FALSE(testsupport::TextFits(probe, L"Remember it for every later installation"));
  DestroyWindow(probe);
}

// Japanese text takes an em of the font for each full-width character, as
// the dialogs' Japanese font draws it, also where this machine's stand-in
// font draws such characters narrower: a label as wide as the stand-in's
// text is a misfit, one of an em per character fits.
TEST_F(DialogText, FullWidthCharactersTakeAnEmEach) {
  const std::wstring text = L"\u30a2\u30f3\u30a4\u30f3\u30b9\u30c8\u30fc\u30e9\u30fc\u306e";
  HWND probe = CreateWindowExW(0, L"Static", text.c_str(), WS_CHILD | SS_LEFTNOWORDWRAP, 0, 0, 10,
                               10, parent_, nullptr, nullptr, nullptr);
  ASSERT_NE(probe, nullptr);
  LOGFONTW face = {};
  face.lfHeight = -12;
  face.lfCharSet = SHIFTJIS_CHARSET;
  lstrcpyW(face.lfFaceName, L"MS UI Gothic");
  HFONT font = CreateFontIndirectW(&face);
  SendMessageW(probe, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  HDC dc = GetDC(probe);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICW metrics = {};
  GetTextMetricsW(dc, &metrics);
  SIZE drawn = {};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &drawn);
  SelectObject(dc, old);
  ReleaseDC(probe, dc);
  const int em = metrics.tmHeight - metrics.tmInternalLeading;
  const int ems = em * static_cast<int>(text.size());
  SetWindowPos(probe, nullptr, 0, 0, ems, metrics.tmHeight + 2, SWP_NOZORDER | SWP_NOMOVE);
  EXPECT_TRUE(testsupport::TextFits(probe));
  SetWindowPos(probe, nullptr, 0, 0, ems - 2, metrics.tmHeight + 2, SWP_NOZORDER | SWP_NOMOVE);
  EXPECT_FALSE(testsupport::TextFits(probe));
  // The stand-in's own width is not enough where it draws narrower.
  if (drawn.cx < ems) {
    SetWindowPos(probe, nullptr, 0, 0, drawn.cx, metrics.tmHeight + 2, SWP_NOZORDER | SWP_NOMOVE);
    EXPECT_FALSE(testsupport::TextFits(probe));
  }
  DestroyWindow(probe);
  DeleteObject(font);
}

}  // namespace
