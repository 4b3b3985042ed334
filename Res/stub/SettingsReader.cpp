// Reads the settings block: one pass over its tagged records.
#include <cwchar>
#include <new>

#include "SettingsBlockFormat.h"
#include "StubSettings.h"

namespace stub {

StubSettings::StubSettings() : StubSettingsFields() {}

StubSettings::~StubSettings() {
  if (UninstCab) HeapFree(GetProcessHeap(), 0, UninstCab);
}

namespace {

// A cursor over the block that never reads past its end.
class BlockCursor {
 public:
  BlockCursor(const uint8_t* data, size_t size) : data_(data), size_(size), pos_(0), ended_(false) {}

  bool ended() const { return ended_; }

  // A u16; false (and the cursor ends) when fewer than two bytes remain.
  bool ReadU16(uint16_t* value) {
    if (ended_ || size_ - pos_ < 2) {
      ended_ = true;
      return false;
    }
    *value = static_cast<uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
    pos_ += 2;
    return true;
  }

  // A NUL-terminated string into text (kSettingsTextCapacity units, cut to fit). A
  // string that runs into the end of the block is kept as far as it goes and
  // ends the cursor. Returns false when nothing was left to read.
  bool ReadText(wchar_t* text) {
    size_t length = 0;
    text[0] = 0;
    if (ended_) return false;
    for (;;) {
      uint16_t unit;
      if (!ReadU16(&unit)) break;
      if (unit == 0) break;
      if (length + 1 < kSettingsTextCapacity) text[length++] = static_cast<wchar_t>(unit);
    }
    text[length] = 0;
    return true;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_;
  bool ended_;
};

template <size_t N>
void Store(wchar_t (&field)[N], const wchar_t* text) {
  lstrcpynW(field, text ? text : L"", static_cast<int>(N));
}

// Splits text in place at every '|'; parts[i] point into text. Returns the
// number of parts (all of them counted, at most maxParts kept).
size_t SplitBar(wchar_t* text, wchar_t** parts, size_t maxParts) {
  size_t count = 0;
  wchar_t* start = text;
  for (wchar_t* p = text;; ++p) {
    if (*p == L'|' || *p == 0) {
      bool last = *p == 0;
      *p = 0;
      if (count < maxParts) parts[count] = start;
      ++count;
      if (last) break;
      start = p + 1;
    }
  }
  return count;
}

class Reader {
 public:
  Reader(StubSettings& settings, const uint8_t* block, size_t size, bool japaneseUi)
      : s_(settings), cursor_(block, size), japaneseUi_(japaneseUi), startMenuSeen_(false) {}

  void Run() {
    for (;;) {
      uint16_t tag;
      if (!cursor_.ReadU16(&tag) || tag == SettingsTag::End) return;
      ReadRecord(tag);
      if (cursor_.ended()) return;
    }
  }

 private:
  wchar_t* Text(int i) { return texts_[i]; }
  // Reads count strings into texts_[0..count-1]. False when the block ended
  // inside them: a record cut off by the block's end is not applied.
  bool ReadTexts(int count) {
    for (int i = 0; i < count; ++i) cursor_.ReadText(texts_[i]);
    return !cursor_.ended();
  }

  void ReadRecord(uint16_t tag) {
    switch (tag) {
      case SettingsTag::OsCheckErrorMessage: if (!ReadTexts(1)) return; Store(s_.OSCheckErrorMsg, Text(0)); break;
      case SettingsTag::ComServer: if (!ReadTexts(1)) return; AddComServer(Text(0)); break;
      case SettingsTag::UninstallIcon: if (!ReadTexts(1)) return; Store(s_.UninstIconFile, Text(0)); break;
      case SettingsTag::ExtraCopy: if (!ReadTexts(1)) return; AddExtraCopy(Text(0)); break;
      case SettingsTag::UninstallLinks:
        if (!ReadTexts(4)) return;
        Store(s_.UnInstallPublisher, Text(0));
        Store(s_.UnInstallSupportLink, Text(1));
        Store(s_.UnInstallHelpLink, Text(2));
        Store(s_.UnInstallUpdateLink, Text(3));
        break;
      case SettingsTag::Wiz97PanelBitmap: if (!ReadTexts(1)) return; Store(s_.Wiz97PanelBitmap, Text(0)); break;
      case SettingsTag::PassRebootSwitch: if (!ReadTexts(1)) return; Store(s_.PassRebootSwitch, Text(0)); break;
      case SettingsTag::SaveExplainShowFlag: if (!ReadTexts(1)) return; StorePair(Text(0), s_.SaveExplainShowFlagKey, s_.SaveExplainShowFlagValue); break;
      case SettingsTag::UninstallerExtensionModule: if (!ReadTexts(1)) return; Store(s_.UninstallerExtensionModuleFile, Text(0)); break;
      case SettingsTag::GreetingE: if (!ReadTexts(1)) return; Store(s_.GreetingE, Text(0)); break;
      case SettingsTag::DialogTitleE: if (!ReadTexts(1)) return; Store(s_.DialogTitleE, Text(0)); break;
      case SettingsTag::ExplainFileE: if (!ReadTexts(1)) return; Store(s_.ExplainFileE, Text(0)); break;
      case SettingsTag::BackScreenTextE: if (!ReadTexts(1)) return; Store(s_.BackScreenTextE, Text(0)); break;
      case SettingsTag::UninstallLinksE:
        if (!ReadTexts(4)) return;
        Store(s_.UnInstallPublisherE, Text(0));
        Store(s_.UnInstallSupportLinkE, Text(1));
        Store(s_.UnInstallHelpLinkE, Text(2));
        Store(s_.UnInstallUpdateLinkE, Text(3));
        break;
      case SettingsTag::UninstallVersion: if (!ReadTexts(1)) return; Store(s_.UnInstallVersion, Text(0)); break;
      case SettingsTag::UninstallAutoSetVersionFile: if (!ReadTexts(1)) return; Store(s_.UnInstallAutoSetVersionFile, Text(0)); break;
      case SettingsTag::UninstallerPreProcessFile: if (!ReadTexts(1)) return; Store(s_.UninstallerPreProcessFile, Text(0)); break;
      case SettingsTag::UninstallerPreProcessArg: if (!ReadTexts(1)) return; Store(s_.UninstallerPreProcessArg, Text(0)); break;
      case SettingsTag::AutoExec:
        if (!ReadTexts(3)) return;
        if (s_.AutoExecCount < kMaxAutoExecItems) {
          AutoExecItem& item = s_.AutoExec[s_.AutoExecCount++];
          Store(item.File, Text(0));
          Store(item.Args, Text(1));
          item.NonElevate = lstrcmpW(Text(2), L"1") == 0;
        }
        break;
      case SettingsTag::CopyrightLine: if (!ReadTexts(1)) return; Store(s_.VesmarinFor, Text(0)); break;
      case SettingsTag::CopyrightLineE: if (!ReadTexts(1)) return; Store(s_.VesmarinForE, Text(0)); break;
      case SettingsTag::BannerFile: if (!ReadTexts(1)) return; Store(s_.BannerFile, Text(0)); break;
      case SettingsTag::ExplainFile: if (!ReadTexts(1)) return; Store(s_.ExplainFile, Text(0)); break;
      case SettingsTag::PanelBitmap: if (!ReadTexts(1)) return; Store(s_.PanelBitmap, Text(0)); break;
      case SettingsTag::Command:
        if (!ReadTexts(3)) return;
        Store(s_.CmdLine, Text(0));
        Store(s_.CmdArgs, Text(1));
        s_.CmdNonElevate = lstrcmpW(Text(2), L"1") == 0;
        break;
      case SettingsTag::Greeting: if (!ReadTexts(1)) return; Store(s_.Greeting, Text(0)); break;
      case SettingsTag::SavePath: if (!ReadTexts(1)) return; StorePair(Text(0), s_.SavePathKey, s_.SavePathValue); break;
      case SettingsTag::ExtensionModule: if (!ReadTexts(1)) return; StorePair(Text(0), s_.ExtensionModuleFile, s_.ExtensionModuleDatFile); break;
      case SettingsTag::BackScreenText: if (!ReadTexts(1)) return; Store(s_.BackScreenText, Text(0)); break;
      case SettingsTag::HomePage: {
        if (!ReadTexts(4)) return;
        Store(s_.HPTitle, Text(0));
        Store(s_.HPTitleE, Text(1));
        const wchar_t* preferred = japaneseUi_ ? Text(2) : Text(3);
        const wchar_t* other = japaneseUi_ ? Text(3) : Text(2);
        Store(s_.URL, *preferred ? preferred : other);
        break;
      }
      case SettingsTag::UninstallReg:
        if (!ReadTexts(1)) return;
        if (s_.UninstallRegCount < kMaxUninstallRegs)
          Store(s_.UninstallReg[s_.UninstallRegCount++], Text(0));
        break;
      case SettingsTag::ExtractFolder: {
        uint16_t base;
        if (!cursor_.ReadU16(&base)) break;
        s_.BaseFolder = base;
        if (!ReadTexts(1)) return;
        Store(s_.ExtractFolder, Text(0));
        // The backslash only after a non-empty sub-path: an empty one keeps
        // the base folder itself (a lone "\" would name the drive root).
        size_t length = wcslen(s_.ExtractFolder);
        if (length > 0 && length + 1 < 260) {
          s_.ExtractFolder[length] = L'\\';
          s_.ExtractFolder[length + 1] = 0;
        }
        break;
      }
      case SettingsTag::StartMenu: ReadStartMenu(); break;
      case SettingsTag::DialogTitle: if (!ReadTexts(1)) return; Store(s_.DialogTitle, Text(0)); break;
      case SettingsTag::Uninstall:
        if (!ReadTexts(5)) return;
        Store(s_.UnInstallTitle, Text(0));
        Store(s_.UnInstallTitleE, Text(1));
        Store(s_.UnInstallKey, Text(2));
        Store(s_.UnInstallFile, Text(3));
        Store(s_.UnInstallArgs, Text(4));
        break;
      case SettingsTag::UninstallerFolder: if (!ReadTexts(1)) return; Store(s_.UseVesmarinUninstallerFolder, Text(0)); break;
      case SettingsTag::BackScreenLogo: if (!ReadTexts(1)) return; Store(s_.BackScreenLogoBmp, Text(0)); break;
      default:
        // Unknown tag: one string follows.
        if (!ReadTexts(1)) return;
        break;
    }
  }

  template <size_t N, size_t M>
  void StorePair(wchar_t* text, wchar_t (&first)[N], wchar_t (&second)[M]) {
    wchar_t* parts[2];
    if (SplitBar(text, parts, 2) < 2) return;
    Store(first, parts[0]);
    Store(second, parts[1]);
  }

  void AddComServer(const wchar_t* text) {
    if (wcslen(text) < 4 || text[1] != L'|') return;
    RegComSvrItem item = {};
    item.Uninstall = text[0] != L'0';
    Store(item.FileName, text + 2);
    s_.RegComSvr.push_back(item);
  }

  void AddExtraCopy(wchar_t* text) {
    wchar_t* parts[4];
    if (SplitBar(text, parts, 4) < 4) return;
    ExtraCopyItem item = {};
    item.NoCopyOriginal = parts[0][0] != 0 && parts[0][0] != L'0';
    Store(item.FileName, parts[1]);
    item.BaseFolder = static_cast<int>(wcstol(parts[2], nullptr, 10));
    Store(item.ExtractFolder, parts[3]);
    s_.ExtraCopy.push_back(item);
  }

  void ReadStartMenu() {
    if (!startMenuSeen_) {
      startMenuSeen_ = true;
      if (!ReadTexts(2)) return;
      Store(s_.StartMenuGroup, Text(0));
      Store(s_.StartMenuGroupE, Text(1));
    }
    if (!ReadTexts(11)) return;
    if (s_.StartMenuCount >= kMaxStartMenuItems) return;
    StartMenuItem& item = s_.StartMenu[s_.StartMenuCount++];
    Store(item.Title, Text(0));
    Store(item.TitleE, Text(1));
    Store(item.File, Text(2));
    Store(item.FileE, Text(3));
    Store(item.Args, Text(4));
    Store(item.ArgsE, Text(5));
    Store(item.Comment, Text(6));
    Store(item.CommentE, Text(7));
    Store(item.Icon, Text(8));
    Store(item.IconE, Text(9));
    const wchar_t* flags = Text(10);
    bool* targets[5] = {&item.CreateOnDesktop, &item.CreateOnStartup, &item.CreateOnStartRoot,
                        &item.NoCreateInGroup, &item.CreateOnQuickLaunch};
    for (int i = 0; i < 5; ++i) {
      *targets[i] = flags[0] == L'1';
      if (flags[0]) ++flags;
    }
  }

  StubSettings& s_;
  BlockCursor cursor_;
  bool japaneseUi_;
  bool startMenuSeen_;
  wchar_t texts_[11][kSettingsTextCapacity];
};

// Nothing to show: empty, or only blanks and line breaks (the builder joins
// the three greeting lines with CR LF even when all of them are empty).
bool IsBlank(const wchar_t* text) {
  return text[wcsspn(text, L" \t\r\n")] == 0;
}

// One text of a pair given, the other blank: the blank one takes the given
// one, so that a package made with one interface language reads the same in
// the other. A pair with both texts set stays as it is.
template <size_t N>
void SharePair(wchar_t (&plain)[N], wchar_t (&english)[N]) {
  if (IsBlank(plain))
    Store(plain, english);
  else if (IsBlank(english))
    Store(english, plain);
}

void ShareLanguagePairs(StubSettings& s) {
  SharePair(s.DialogTitle, s.DialogTitleE);
  SharePair(s.Greeting, s.GreetingE);
  SharePair(s.VesmarinFor, s.VesmarinForE);
  SharePair(s.ExplainFile, s.ExplainFileE);
  SharePair(s.BackScreenText, s.BackScreenTextE);
  SharePair(s.HPTitle, s.HPTitleE);
  SharePair(s.UnInstallTitle, s.UnInstallTitleE);
  SharePair(s.UnInstallPublisher, s.UnInstallPublisherE);
  SharePair(s.UnInstallSupportLink, s.UnInstallSupportLinkE);
  SharePair(s.UnInstallHelpLink, s.UnInstallHelpLinkE);
  SharePair(s.UnInstallUpdateLink, s.UnInstallUpdateLinkE);
  SharePair(s.StartMenuGroup, s.StartMenuGroupE);
  for (int i = 0; i < s.StartMenuCount && i < kMaxStartMenuItems; ++i) {
    StartMenuItem& item = s.StartMenu[i];
    SharePair(item.Title, item.TitleE);
    SharePair(item.File, item.FileE);
    SharePair(item.Args, item.ArgsE);
    SharePair(item.Comment, item.CommentE);
    SharePair(item.Icon, item.IconE);
  }
}

}  // namespace

bool ParseSettingsBlock(StubSettings& settings, const uint8_t* block, size_t size,
                        bool japaneseUi) {
  Reader* reader = new (std::nothrow) Reader(settings, block, block ? size : 0, japaneseUi);
  if (!reader) return false;
  bool ok = true;
  try {
    reader->Run();
    ShareLanguagePairs(settings);
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  delete reader;
  return ok;
}

}  // namespace stub
