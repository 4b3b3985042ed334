#include "SettingsCompare.h"

#include <cwchar>

#include "SfxSettingsMembers.h"

namespace {

template <size_t N>
bool Same(const wchar_t (&a)[N], const wchar_t (&b)[N], const CSfxSettings&, const CSfxSettings&) {
  return wcsncmp(a, b, N) == 0;
}
bool Same(int a, int b, const CSfxSettings&, const CSfxSettings&) { return a == b; }
bool Same(bool a, bool b, const CSfxSettings&, const CSfxSettings&) { return a == b; }
bool Same(COLORREF a, COLORREF b, const CSfxSettings&, const CSfxSettings&) { return a == b; }

template <size_t N>
bool SameText(const wchar_t (&a)[N], const wchar_t (&b)[N]) {
  return wcsncmp(a, b, N) == 0;
}

bool SameItem(const StartMenuItem& a, const StartMenuItem& b) {
  return SameText(a.Title, b.Title) && SameText(a.TitleE, b.TitleE) && SameText(a.File, b.File) &&
         SameText(a.FileE, b.FileE) && SameText(a.Args, b.Args) && SameText(a.ArgsE, b.ArgsE) &&
         SameText(a.Comment, b.Comment) && SameText(a.CommentE, b.CommentE) &&
         SameText(a.Icon, b.Icon) && SameText(a.IconE, b.IconE) &&
         a.CreateOnQuickLaunch == b.CreateOnQuickLaunch && a.CreateOnDesktop == b.CreateOnDesktop &&
         a.CreateOnStartup == b.CreateOnStartup && a.CreateOnStartRoot == b.CreateOnStartRoot &&
         a.NoCreateInGroup == b.NoCreateInGroup;
}

bool SameItem(const AutoExecItem& a, const AutoExecItem& b) {
  return SameText(a.File, b.File) && SameText(a.Args, b.Args) && a.NonElevate == b.NonElevate;
}

bool Same(const StartMenuItem (&a)[kMaxStartMenuItems], const StartMenuItem (&b)[kMaxStartMenuItems],
          const CSfxSettings& x, const CSfxSettings&) {
  for (int i = 0; i < x.StartMenuCount && i < kMaxStartMenuItems; ++i)
    if (!SameItem(a[i], b[i])) return false;
  return true;
}

bool Same(const AutoExecItem (&a)[kMaxAutoExecItems], const AutoExecItem (&b)[kMaxAutoExecItems],
          const CSfxSettings& x, const CSfxSettings&) {
  for (int i = 0; i < x.AutoExecCount && i < kMaxAutoExecItems; ++i)
    if (!SameItem(a[i], b[i])) return false;
  return true;
}

}  // namespace

std::vector<std::string> DifferingMembers(const CSfxSettings& a, const CSfxSettings& b) {
  std::vector<std::string> names;
#define COMPARE_MEMBER(name) \
  if (!Same(a.name, b.name, a, b)) names.push_back(#name);
  SFX_SETTINGS_PLAIN_MEMBERS(COMPARE_MEMBER)
#undef COMPARE_MEMBER
  for (int i = 0; i < a.UninstallRegCount && i < kMaxUninstallRegs; ++i)
    if (a.UninstallReg[i] != b.UninstallReg[i]) names.push_back("UninstallReg");
  if (a.IconType != b.IconType) names.push_back("IconType");
  bool sameCom = a.RegComSvr.size() == b.RegComSvr.size();
  for (size_t i = 0; sameCom && i < a.RegComSvr.size(); ++i)
    sameCom = SameText(a.RegComSvr[i].FileName, b.RegComSvr[i].FileName) &&
              a.RegComSvr[i].Uninstall == b.RegComSvr[i].Uninstall;
  if (!sameCom) names.push_back("RegComSvr");
  bool sameCopy = a.ExtraCopy.size() == b.ExtraCopy.size();
  for (size_t i = 0; sameCopy && i < a.ExtraCopy.size(); ++i)
    sameCopy = SameText(a.ExtraCopy[i].FileName, b.ExtraCopy[i].FileName) &&
               a.ExtraCopy[i].BaseFolder == b.ExtraCopy[i].BaseFolder &&
               SameText(a.ExtraCopy[i].ExtractFolder, b.ExtraCopy[i].ExtractFolder) &&
               a.ExtraCopy[i].NoCopyOriginal == b.ExtraCopy[i].NoCopyOriginal;
  if (!sameCopy) names.push_back("ExtraCopy");
  return names;
}
