#include "DesignPage.h"

#include "ArchivePicking.h"
#include "BuilderState.h"
#include "BuilderUtil.h"
#include "SheetPage.h"
#include "SheetPatterns.h"
#include "VesmarinResource.h"

namespace {

// Rows of the design list and the three members each stands for.
struct Design {
  int useNewWizard;
  int noUi;
  int ultraSilent;
};
const Design kDesigns[] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {1, 1, 1}};

int DesignIndexOf(const CSfxSettings& settings) {
  if (!settings.NoUI) return settings.UseNewWizard ? 1 : 0;
  return settings.UltraSilentInstall ? 3 : 2;
}

void EnableRule(HWND page) {
  const bool panel = IsBoxChecked(page, IDC_DESIGN_PANEL);
  EnableControls(page, {IDC_DESIGN_PANEL, IDC_DESIGN_NO_LOGO, IDC_DESIGN_SWITCH_LABEL, IDC_DESIGN_SWITCH},
                 true);
  EnableControls(page,
                 {IDC_DESIGN_PANEL_LABEL, IDC_DESIGN_PANEL_EDIT, IDC_DESIGN_PANEL_BROWSE,
                  IDC_DESIGN_PANEL_NO_EXTRACT},
                 panel);
  const bool wizard = DropDownIndex(page, IDC_DESIGN_LIST) != 0;
  EnableControls(page, {IDC_DESIGN_TOPRIGHT}, wizard);
  EnableControls(page,
                 {IDC_DESIGN_TOPRIGHT_LABEL, IDC_DESIGN_TOPRIGHT_EDIT, IDC_DESIGN_TOPRIGHT_BROWSE,
                  IDC_DESIGN_TOPRIGHT_NO_EXTRACT},
                 wizard && IsBoxChecked(page, IDC_DESIGN_TOPRIGHT));
}

void Init(HWND page) {
  LimitEdit(page, IDC_DESIGN_SWITCH, 19);
  LimitEdit(page, IDC_DESIGN_PANEL_EDIT, 259);
  LimitEdit(page, IDC_DESIGN_TOPRIGHT_EDIT, 259);
  FillDropDown(page, IDC_DESIGN_LIST,
               {IDS_DESIGN_CLASSIC, IDS_DESIGN_DEFAULT, IDS_DESIGN_NO_WIZARD, IDS_DESIGN_NO_UI});
}

void ToControls(HWND page) {
  const CSfxSettings& settings = g_SfxSettings;
  CheckBox(page, IDC_DESIGN_PANEL, settings.UsePanelBitmap != 0);
  CheckBox(page, IDC_DESIGN_PANEL_NO_EXTRACT, settings.NoExtractPanelBitmap != 0);
  SetDlgItemTextW(page, IDC_DESIGN_PANEL_EDIT, settings.PanelBitmap);
  SetDlgItemTextW(page, IDC_DESIGN_SWITCH, settings.SilentizeSwitch);
  SendDlgItemMessageW(page, IDC_DESIGN_LIST, CB_SETCURSEL,
                      static_cast<WPARAM>(DesignIndexOf(settings)), 0);
  CheckBox(page, IDC_DESIGN_TOPRIGHT, settings.UseWiz97PanelBitmap != 0);
  CheckBox(page, IDC_DESIGN_TOPRIGHT_NO_EXTRACT, settings.NoExtractWiz97PanelBitmap != 0);
  SetDlgItemTextW(page, IDC_DESIGN_TOPRIGHT_EDIT, settings.Wiz97PanelBitmap);
  CheckBox(page, IDC_DESIGN_NO_LOGO, settings.DontShowQXLogoOnWiz != 0);
  EnableRule(page);
}

bool EditEmpty(HWND page, int editId) { return GetWindowTextLengthW(GetDlgItem(page, editId)) == 0; }

bool Validate(HWND page) {
  if (IsBoxChecked(page, IDC_DESIGN_PANEL) && EditEmpty(page, IDC_DESIGN_PANEL_EDIT)) {
    ShowPageWarning(page, IDS_PANEL_FILE_NEEDED);
    return false;
  }
  if (DropDownIndex(page, IDC_DESIGN_LIST) != 0 && IsBoxChecked(page, IDC_DESIGN_TOPRIGHT) &&
      EditEmpty(page, IDC_DESIGN_TOPRIGHT_EDIT)) {
    ShowPageWarning(page, IDS_TOPRIGHT_FILE_NEEDED);
    return false;
  }
  return true;
}

void Store(HWND page) {
  CSfxSettings& settings = g_SfxSettings;
  settings.UsePanelBitmap = IsBoxChecked(page, IDC_DESIGN_PANEL) ? 1 : 0;
  settings.NoExtractPanelBitmap = IsBoxChecked(page, IDC_DESIGN_PANEL_NO_EXTRACT) ? 1 : 0;
  ReadWindowText(GetDlgItem(page, IDC_DESIGN_PANEL_EDIT), settings.PanelBitmap, MAX_PATH);
  ReadWindowText(GetDlgItem(page, IDC_DESIGN_SWITCH), settings.SilentizeSwitch,
                 static_cast<int>(sizeof settings.SilentizeSwitch / sizeof(wchar_t)));
  const int index = DropDownIndex(page, IDC_DESIGN_LIST);
  const Design& design = kDesigns[index >= 0 && index < 4 ? index : 0];
  settings.UseNewWizard = design.useNewWizard;
  settings.NoUI = design.noUi;
  settings.UltraSilentInstall = design.ultraSilent;
  settings.UseWiz97PanelBitmap = IsBoxChecked(page, IDC_DESIGN_TOPRIGHT) ? 1 : 0;
  settings.NoExtractWiz97PanelBitmap = IsBoxChecked(page, IDC_DESIGN_TOPRIGHT_NO_EXTRACT) ? 1 : 0;
  ReadWindowText(GetDlgItem(page, IDC_DESIGN_TOPRIGHT_EDIT), settings.Wiz97PanelBitmap, MAX_PATH);
  settings.DontShowQXLogoOnWiz = IsBoxChecked(page, IDC_DESIGN_NO_LOGO) ? 1 : 0;
}

bool Command(HWND page, int controlId, int code) {
  switch (controlId) {
    case IDC_DESIGN_PANEL:
    case IDC_DESIGN_TOPRIGHT:
      if (code == BN_CLICKED) EnableRule(page);
      return true;
    case IDC_DESIGN_LIST:
      EnableRule(page);
      if (code == CBN_SELCHANGE && DropDownIndex(page, IDC_DESIGN_LIST) >= 2)
        ShowPageWarning(page, IDS_NO_WIZARD_WARNING);
      return true;
    case IDC_DESIGN_PANEL_BROWSE:
      if (code == BN_CLICKED) PickArchiveBitmapInto(page, IDC_DESIGN_PANEL_EDIT);
      return true;
    case IDC_DESIGN_TOPRIGHT_BROWSE:
      if (code == BN_CLICKED) PickArchiveBitmapInto(page, IDC_DESIGN_TOPRIGHT_EDIT);
      return true;
    case IDC_DESIGN_PANEL_EDIT:
    case IDC_DESIGN_TOPRIGHT_EDIT:
      if (code == EN_CHANGE) ValidatePathEdit(page, controlId, true);
      return true;
    default:
      return false;
  }
}

const SheetPageHooks kHooks = {IDD_PAGE_DESIGN, Init,    ToControls, Validate,
                               Store,           Command, nullptr,    nullptr};

}  // namespace

INT_PTR CALLBACK DesignPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  return RunSheetPage(kHooks, page, message, wParam, lParam);
}
