#include "DefinitionSlots.h"

#include <cstddef>
#include <cwchar>

std::wstring IndexedKey(const wchar_t* group, int index, const wchar_t* field) {
  wchar_t key[96];
  if (field)
    swprintf(key, 96, L"%ls%d_%ls", group, index, field);
  else
    swprintf(key, 96, L"%ls%d", group, index);
  return key;
}

// name0..2 joined with CR LF (also around empty lines), cut to the member.
void ReadLines(const DefinitionReader& in, const wchar_t* name, wchar_t* member, int width) {
  std::wstring text;
  for (int line = 0; line < 3; ++line) {
    if (line > 0) text += L"\r\n";
    text += in.String(IndexedKey(name, line, nullptr), 1024);
  }
  lstrcpynW(member, text.c_str(), width);
}

// Line k of the text goes to name{k}; at least three lines are written.
void WriteLines(const DefinitionWriter& out, const wchar_t* name, const wchar_t* text) {
  std::wstring line;
  int index = 0;
  for (const wchar_t* p = text;; ++p) {
    if (*p == L'\n' || *p == L'\0') {
      out.Text(IndexedKey(name, index++, nullptr), line.c_str());
      line.clear();
      if (*p == L'\0') break;
    } else if (*p != L'\r') {
      line += *p;
    }
  }
  while (index < 3) out.Text(IndexedKey(name, index++, nullptr), L"");
}

// RegComSvr{i}_...: up to the first empty file name.
void ReadRegComSvr(const DefinitionReader& in, CSfxSettings& s) {
  for (int i = 0;; ++i) {
    RegComSvrItem item = {};
    in.Text(IndexedKey(L"RegComSvr", i, L"FileName"), item.FileName);
    if (!item.FileName[0]) break;
    item.Uninstall = in.Flag(IndexedKey(L"RegComSvr", i, L"Uninstall"), 0);
    s.RegComSvr.push_back(item);
  }
}

void WriteRegComSvr(const DefinitionWriter& out, const CSfxSettings& s) {
  for (size_t i = 0; i < s.RegComSvr.size(); ++i) {
    int n = static_cast<int>(i);
    out.Text(IndexedKey(L"RegComSvr", n, L"FileName"), s.RegComSvr[i].FileName);
    out.Flag(IndexedKey(L"RegComSvr", n, L"Uninstall"), s.RegComSvr[i].Uninstall);
  }
}

// ExtraCopy{i}_...: up to the first empty file name; base folders 0..15.
void ReadExtraCopy(const DefinitionReader& in, CSfxSettings& s) {
  for (int i = 0;; ++i) {
    ExtraCopyItem item = {};
    in.Text(IndexedKey(L"ExtraCopy", i, L"FileName"), item.FileName);
    if (!item.FileName[0]) break;
    item.NoCopyOriginal = in.Flag(IndexedKey(L"ExtraCopy", i, L"NoCopyOriginal"), 0);
    int base = in.Int(IndexedKey(L"ExtraCopy", i, L"BaseFolder"), 0);
    item.BaseFolder = base < 0 ? 0 : (base > 15 ? 15 : base);
    in.Text(IndexedKey(L"ExtraCopy", i, L"ExtractFolder"), item.ExtractFolder);
    s.ExtraCopy.push_back(item);
  }
}

void WriteExtraCopy(const DefinitionWriter& out, const CSfxSettings& s) {
  for (size_t i = 0; i < s.ExtraCopy.size(); ++i) {
    int n = static_cast<int>(i);
    const ExtraCopyItem& item = s.ExtraCopy[i];
    out.Text(IndexedKey(L"ExtraCopy", n, L"FileName"), item.FileName);
    out.Flag(IndexedKey(L"ExtraCopy", n, L"NoCopyOriginal"), item.NoCopyOriginal);
    out.Signed(IndexedKey(L"ExtraCopy", n, L"BaseFolder"), item.BaseFolder);
    out.Text(IndexedKey(L"ExtraCopy", n, L"ExtractFolder"), item.ExtractFolder);
  }
}

namespace {

// The keys of a start-menu slot, StartMenu{i}_<field>, in the file's order:
// its texts, then its flags.
struct StartMenuText {
  const wchar_t* field;
  size_t offset;
  size_t width;
};
#define START_MENU_TEXT(member) \
  {L"" #member, offsetof(StartMenuItem, member), sizeof(StartMenuItem::member) / sizeof(wchar_t)}
const StartMenuText kStartMenuTexts[] = {
    START_MENU_TEXT(Title),   START_MENU_TEXT(TitleE),   START_MENU_TEXT(File),
    START_MENU_TEXT(FileE),   START_MENU_TEXT(Args),     START_MENU_TEXT(ArgsE),
    START_MENU_TEXT(Comment), START_MENU_TEXT(CommentE), START_MENU_TEXT(Icon),
    START_MENU_TEXT(IconE),
};
#undef START_MENU_TEXT

const struct {
  const wchar_t* field;
  bool StartMenuItem::*member;
} kStartMenuFlags[] = {
    {L"CreateOnQuickLaunch", &StartMenuItem::CreateOnQuickLaunch},
    {L"CreateOnDesktop", &StartMenuItem::CreateOnDesktop},
    {L"CreateOnStartup", &StartMenuItem::CreateOnStartup},
    {L"CreateOnStartRoot", &StartMenuItem::CreateOnStartRoot},
    {L"NoCreateInGroup", &StartMenuItem::NoCreateInGroup},
};

wchar_t* TextOf(StartMenuItem& item, const StartMenuText& text) {
  return reinterpret_cast<wchar_t*>(reinterpret_cast<char*>(&item) + text.offset);
}

const wchar_t* TextOf(const StartMenuItem& item, const StartMenuText& text) {
  return reinterpret_cast<const wchar_t*>(reinterpret_cast<const char*>(&item) + text.offset);
}

}  // namespace

void ReadStartMenu(const DefinitionReader& in, CSfxSettings& s) {
  s.StartMenuCount = 0;
  for (int i = 0; i < kMaxStartMenuItems; ++i) {
    StartMenuItem& item = s.StartMenu[i];
    // A slot is in use when it holds any text, in either language.
    bool used = false;
    for (const StartMenuText& text : kStartMenuTexts) {
      in.Text(IndexedKey(L"StartMenu", i, text.field).c_str(), TextOf(item, text), text.width);
      used = used || TextOf(item, text)[0] != L'\0';
    }
    for (const auto& flag : kStartMenuFlags)
      item.*flag.member = in.Flag(IndexedKey(L"StartMenu", i, flag.field), 0) != 0;
    if (!used) break;
    s.StartMenuCount = i + 1;
  }
}

void WriteStartMenu(const DefinitionWriter& out, const CSfxSettings& s) {
  for (int i = 0; i < s.StartMenuCount && i < kMaxStartMenuItems; ++i) {
    const StartMenuItem& item = s.StartMenu[i];
    for (const StartMenuText& text : kStartMenuTexts)
      out.Text(IndexedKey(L"StartMenu", i, text.field), TextOf(item, text));
    for (const auto& flag : kStartMenuFlags)
      out.Flag(IndexedKey(L"StartMenu", i, flag.field), item.*flag.member);
  }
}

void ReadUninstallReg(const DefinitionReader& in, CSfxSettings& s) {
  s.UninstallRegCount = 0;
  for (int i = 0; i < kMaxUninstallRegs; ++i) {
    std::wstring key = in.String(IndexedKey(L"UninstallReg", i, nullptr), 260);
    if (key.empty()) break;
    s.UninstallReg[i] = key;
    s.UninstallRegCount = i + 1;
  }
}

void WriteUninstallReg(const DefinitionWriter& out, const CSfxSettings& s) {
  for (int i = 0; i < s.UninstallRegCount && i < kMaxUninstallRegs; ++i)
    out.Text(IndexedKey(L"UninstallReg", i, nullptr), s.UninstallReg[i].c_str());
}

// A slot whose file and arguments are both empty ends the list.
void ReadAutoExec(const DefinitionReader& in, CSfxSettings& s) {
  s.AutoExecCount = kMaxAutoExecItems;
  for (int i = 0; i < kMaxAutoExecItems; ++i) {
    AutoExecItem& item = s.AutoExec[i];
    in.Text(IndexedKey(L"AutoExec", i, L"File"), item.File);
    in.Text(IndexedKey(L"AutoExec", i, L"Args"), item.Args);
    item.NonElevate = in.Flag(IndexedKey(L"AutoExec", i, L"NonElevate"), 0) != 0;
    if (!item.File[0] && !item.Args[0]) {
      s.AutoExecCount = i;
      break;
    }
  }
}

void WriteAutoExec(const DefinitionWriter& out, const CSfxSettings& s) {
  for (int i = 0; i < s.AutoExecCount && i < kMaxAutoExecItems; ++i) {
    out.Text(IndexedKey(L"AutoExec", i, L"File"), s.AutoExec[i].File);
    out.Text(IndexedKey(L"AutoExec", i, L"Args"), s.AutoExec[i].Args);
    out.Flag(IndexedKey(L"AutoExec", i, L"NonElevate"), s.AutoExec[i].NonElevate);
  }
}
