// Dialog templates (DLGTEMPLATE or DLGTEMPLATEEX) as stored in a program's
// resources: read from a program, taken apart, and created hidden.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

struct TemplateInfo {
  bool extended = false;
  size_t styleOffset = 0;  // of the dialog's style DWORD
  DWORD style = 0;
  short cx = 0;  // dialog units
  short cy = 0;
  // Class names given as strings: the dialog's own (if any) and its
  // controls'. Ordinal classes are the system's and need nothing.
  std::wstring dialogClass;
  std::vector<std::wstring> controlClasses;
};

// False when the bytes are no complete template.
bool ReadTemplate(const std::vector<uint8_t>& bytes, TemplateInfo& info);

// The template of one language from a module (loaded as a data file or
// not); empty when there is none.
std::vector<uint8_t> LoadDialogTemplate(HMODULE module, LPCWSTR name, LANGID language);

// Creates the template hidden (WS_VISIBLE cleared) with a dialog procedure
// that does nothing, so every control shows its template text. A WS_CHILD
// template (a property page) needs a parent. A class the template names
// that nobody registered in this process (a program's own control or
// dialog class) gets a plain stand-in. Null when it cannot be created.
HWND CreateDialogHidden(const std::vector<uint8_t>& bytes, HWND parent);

// Property pages (WS_CHILD templates) in one hidden modeless property
// sheet, with the same stand-ins, as a program shows its pages: the sheet
// sizes one page area for all of them.
class HiddenPropertySheet {
 public:
  HiddenPropertySheet(const std::vector<std::vector<uint8_t>>& pages, HWND owner);
  ~HiddenPropertySheet();
  HiddenPropertySheet(const HiddenPropertySheet&) = delete;
  HiddenPropertySheet& operator=(const HiddenPropertySheet&) = delete;
  // Makes the page current, which creates it, and returns its window; null
  // when it cannot be shown.
  HWND Page(size_t index);
  // The page area the sheet makes in any case, in pixels: its largest page
  // measured in the sheet's own font (rows of tabs can add to it).
  SIZE LeastPageArea() const { return least_; }

 private:
  std::vector<std::vector<uint8_t>> copies_;  // the sheet reads them as pages are made
  HWND sheet_ = nullptr;
  SIZE least_ = {};
};

}  // namespace testsupport
