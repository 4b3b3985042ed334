// Reads the settings block: one pass over its tagged records.
#include <cwchar>
#include <new>

#include "SettingsBlockFormat.h"
#include "SettingsRecords.h"
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
#define READ_TEXT(Name, tag, member) \
  case tag:                          \
    if (!ReadTexts(1)) return;       \
    Store(s_.member, Text(0));       \
    break;
#define READ_TEXTS4(Name, tag, m1, m2, m3, m4) \
  case tag:                                    \
    if (!ReadTexts(4)) return;                 \
    Store(s_.m1, Text(0));                     \
    Store(s_.m2, Text(1));                     \
    Store(s_.m3, Text(2));                     \
    Store(s_.m4, Text(3));                     \
    break;
#define READ_PAIR(Name, tag, first, second)  \
  case tag:                                  \
    if (!ReadTexts(1)) return;               \
    StorePair(Text(0), s_.first, s_.second); \
    break;
#define READ_OWN(Name, tag) \
  case tag:                 \
    Read##Name();           \
    break;
    switch (tag) {
      SETTINGS_BLOCK_RECORDS(READ_TEXT, READ_TEXTS4, READ_PAIR, READ_OWN)
      default:
        // Unknown tag: one string follows.
        ReadTexts(1);
        break;
    }
#undef READ_TEXT
#undef READ_TEXTS4
#undef READ_PAIR
#undef READ_OWN
  }

  template <size_t N, size_t M>
  void StorePair(wchar_t* text, wchar_t (&first)[N], wchar_t (&second)[M]) {
    wchar_t* parts[2];
    if (SplitBar(text, parts, 2) < 2) return;
    Store(first, parts[0]);
    Store(second, parts[1]);
  }

  // The records of kind OWN (SettingsRecords.h), after their tag. A record
  // cut off by the block's end is not applied.

  void ReadComServer() {
    if (!ReadTexts(1)) return;
    const wchar_t* text = Text(0);
    if (wcslen(text) < 4 || text[1] != L'|') return;
    RegComSvrItem item = {};
    item.Uninstall = text[0] != L'0';
    Store(item.FileName, text + 2);
    s_.RegComSvr.push_back(item);
  }

  void ReadExtraCopy() {
    if (!ReadTexts(1)) return;
    wchar_t* parts[4];
    if (SplitBar(Text(0), parts, 4) < 4) return;
    ExtraCopyItem item = {};
    item.NoCopyOriginal = parts[0][0] != 0 && parts[0][0] != L'0';
    Store(item.FileName, parts[1]);
    item.BaseFolder = static_cast<int>(wcstol(parts[2], nullptr, 10));
    Store(item.ExtractFolder, parts[3]);
    s_.ExtraCopy.push_back(item);
  }

  void ReadExtractFolder() {
    uint16_t base;
    if (!cursor_.ReadU16(&base)) return;
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

  void ReadUninstall() {
    if (!ReadTexts(5)) return;
    Store(s_.UnInstallTitle, Text(0));
    Store(s_.UnInstallTitleE, Text(1));
    Store(s_.UnInstallKey, Text(2));
    Store(s_.UnInstallFile, Text(3));
    Store(s_.UnInstallArgs, Text(4));
  }

  void ReadCommand() {
    if (!ReadTexts(3)) return;
    Store(s_.CmdLine, Text(0));
    Store(s_.CmdArgs, Text(1));
    s_.CmdNonElevate = lstrcmpW(Text(2), L"1") == 0;
  }

  void ReadAutoExec() {
    if (!ReadTexts(3)) return;
    if (s_.AutoExecCount >= kMaxAutoExecItems) return;
    AutoExecItem& item = s_.AutoExec[s_.AutoExecCount++];
    Store(item.File, Text(0));
    Store(item.Args, Text(1));
    item.NonElevate = lstrcmpW(Text(2), L"1") == 0;
  }

  void ReadUninstallerFolder() {
    if (ReadTexts(1)) Store(s_.UseVesmarinUninstallerFolder, Text(0));
  }

  void ReadUninstallReg() {
    if (!ReadTexts(1)) return;
    if (s_.UninstallRegCount < kMaxUninstallRegs)
      Store(s_.UninstallReg[s_.UninstallRegCount++], Text(0));
  }

  // Of the two links, the one of the interface language, else the other.
  void ReadHomePage() {
    if (!ReadTexts(4)) return;
    Store(s_.HPTitle, Text(0));
    Store(s_.HPTitleE, Text(1));
    const wchar_t* preferred = japaneseUi_ ? Text(2) : Text(3);
    const wchar_t* other = japaneseUi_ ? Text(3) : Text(2);
    Store(s_.URL, *preferred ? preferred : other);
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
