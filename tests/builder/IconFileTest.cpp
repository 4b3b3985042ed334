// Icon replacement from a user's .ico file: PNG and bitmap images, cursor
// files, and every kind of broken file (refused with 7, image untouched).
#include "PatchFixture.h"

namespace patchtest {
namespace {

class IconFile : public PatchFixture {
 protected:
  // Replaces the icons of the two-group fixture from the given .ico bytes.
  int Replace(const Bytes& ico, ImageBlock* image, std::wstring* before = nullptr) {
    std::wstring icoPath = work_ / L"user.ico";
    EXPECT_TRUE(testsupport::WriteFileBytes(icoPath, ico));
    Load(testsupport::BinPath(L"patching_fixture_icons.exe"), image);
    if (before) *before = Save(*image, L"before.exe");
    return ReplaceIcons(false, icoPath.c_str(), image->block, image->size);
  }

  // The lowest group of a patched image with its images.
  void ReadLowestGroup(const std::wstring& path, Group* group, std::vector<Bytes>* images) {
    ResourceReader reader(path);
    std::vector<WORD> groups = reader.Ids(RT_GROUP_ICON);
    ASSERT_EQ(groups, (std::vector<WORD>{1, 5}));
    Bytes data;
    ASSERT_TRUE(reader.Get(RT_GROUP_ICON, 1, 0, &data));
    ASSERT_TRUE(ParseGroup(data, group));
    for (const GroupEntry& e : group->entries) {
      Bytes image;
      ASSERT_TRUE(reader.Get(RT_ICON, e.id, 0, &image)) << "image " << e.id;
      images->push_back(image);
    }
  }

  WORD HighestImageId(const std::wstring& path) {
    ResourceReader reader(path);
    std::vector<WORD> ids = reader.Ids(RT_ICON);
    return ids.empty() ? 0 : ids.back();
  }
};

TEST_F(IconFile, OnePngImageHasPlanesAndBitCountZero) {
  IcoEntry png;
  png.width = 0;  // 256
  png.height = 0;
  png.planes = 1;  // the directory's words are not used
  png.bitCount = 32;
  png.data = MakePng(256, 256);
  ImageBlock image;
  std::wstring before;
  ASSERT_EQ(Replace(MakeIco(0, 1, {png}), &image, &before), 0);
  std::wstring after = Save(image, L"after.exe");
  Group group;
  std::vector<Bytes> images;
  ReadLowestGroup(after, &group, &images);
  EXPECT_EQ(group.reserved, 0);
  EXPECT_EQ(group.type, 1);
  ASSERT_EQ(group.entries.size(), 1u);
  const GroupEntry& e = group.entries[0];
  EXPECT_EQ(e.width, 0);
  EXPECT_EQ(e.height, 0);
  EXPECT_EQ(e.planes, 0);
  EXPECT_EQ(e.bitCount, 0);
  EXPECT_EQ(e.bytesInRes, png.data.size());
  EXPECT_EQ(e.id, HighestImageId(before) + 1);
  EXPECT_TRUE(images[0] == png.data);
  EXPECT_EQ(Run(after), 42u);
}

TEST_F(IconFile, BitmapImagesTakePlanesAndBitsFromTheirHeaders) {
  std::vector<IcoEntry> entries(3);
  entries[0].data = MakePng(48, 48);
  entries[0].width = entries[0].height = 48;
  entries[1].data = MakeBitmapImage(32, 32);
  entries[1].width = entries[1].height = 32;
  entries[2].data = MakeBitmapImage(16, 4);
  entries[2].width = entries[2].height = 16;
  entries[2].colorCount = 16;
  entries[2].reserved = 0;
  // Deliberately wrong directory words: the bitmap headers count.
  for (IcoEntry& e : entries) {
    e.planes = 7;
    e.bitCount = 9;
  }
  ImageBlock image;
  std::wstring before;
  ASSERT_EQ(Replace(MakeIco(0, 1, entries), &image, &before), 0);
  std::wstring after = Save(image, L"after.exe");
  Group group;
  std::vector<Bytes> images;
  ReadLowestGroup(after, &group, &images);
  ASSERT_EQ(group.entries.size(), 3u);
  const WORD first = HighestImageId(before) + 1;
  const uint16_t planes[] = {0, 1, 1}, bits[] = {0, 32, 4};
  for (size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const GroupEntry& e = group.entries[i];
    EXPECT_EQ(e.width, entries[i].width);
    EXPECT_EQ(e.height, entries[i].height);
    EXPECT_EQ(e.colorCount, entries[i].colorCount);
    EXPECT_EQ(e.planes, planes[i]);
    EXPECT_EQ(e.bitCount, bits[i]);
    EXPECT_EQ(e.bytesInRes, entries[i].data.size());
    EXPECT_EQ(e.id, first + i);
    EXPECT_TRUE(images[i] == entries[i].data);
  }
  // Group 5 and its images stay; group 1's old images are gone.
  ResourceReader old(before), patched(after);
  Bytes a, b;
  ASSERT_TRUE(old.Get(RT_GROUP_ICON, 5, 0xFFFF, &a));
  ASSERT_TRUE(patched.Get(RT_GROUP_ICON, 5, 0xFFFF, &b));
  EXPECT_TRUE(a == b);
  Group oldFirst;
  ASSERT_TRUE(old.Get(RT_GROUP_ICON, 1, 0xFFFF, &a));
  ASSERT_TRUE(ParseGroup(a, &oldFirst));
  if (!RunningUnderWine()) {
    for (const GroupEntry& e : oldFirst.entries) {
      EXPECT_TRUE(patched.Languages(RT_ICON, e.id).empty()) << "old image " << e.id;
    }
  }
  EXPECT_EQ(Run(after), 42u);
}

TEST_F(IconFile, CursorFileKeepsItsHeaderWords) {
  IcoEntry cursor;
  cursor.width = cursor.height = 32;
  cursor.planes = 5;  // a cursor's hot spot
  cursor.bitCount = 6;
  cursor.data = MakeBitmapImage(32, 8);
  ImageBlock image;
  ASSERT_EQ(Replace(MakeIco(0, 2, {cursor}), &image), 0);
  Group group;
  std::vector<Bytes> images;
  ReadLowestGroup(Save(image, L"after.exe"), &group, &images);
  EXPECT_EQ(group.type, 2);
  ASSERT_EQ(group.entries.size(), 1u);
  EXPECT_EQ(group.entries[0].planes, 1);
  EXPECT_EQ(group.entries[0].bitCount, 8);
}

TEST_F(IconFile, ImageEndingExactlyAtTheFileEndIsAccepted) {
  IcoEntry e;
  e.width = e.height = 16;
  e.data = MakeBitmapImage(16, 32);
  Bytes ico = MakeIco(0, 1, {e});
  ImageBlock image;
  ASSERT_EQ(ico.size(), 6 + 16 + e.data.size());
  EXPECT_EQ(Replace(ico, &image), 0);
}

TEST_F(IconFile, MalformedFilesGive7AndLeaveTheImage) {
  IcoEntry good;
  good.width = good.height = 16;
  good.data = MakeBitmapImage(16, 32);
  const Bytes valid = MakeIco(0, 1, {good});

  struct Case {
    const char* what;
    Bytes ico;
  };
  std::vector<Case> cases;
  cases.push_back({"empty file", {}});
  cases.push_back({"truncated header", Bytes(valid.begin(), valid.begin() + 4)});
  cases.push_back({"header only", Bytes(valid.begin(), valid.begin() + 6)});
  cases.push_back({"truncated directory", Bytes(valid.begin(), valid.begin() + 20)});
  {
    Bytes ico = valid;
    ico[0] = 1;
    cases.push_back({"reserved word not 0", ico});
  }
  for (uint8_t type : {0, 3}) {
    Bytes ico = valid;
    ico[2] = type;
    cases.push_back({type == 0 ? "type 0" : "type 3", ico});
  }
  {
    Bytes ico = valid;
    ico[4] = 0;
    cases.push_back({"count 0", ico});
  }
  {
    Bytes ico = valid;
    ico[4] = 200;  // 200 entries do not fit in the file
    cases.push_back({"count beyond the file", ico});
  }
  {
    Bytes ico = valid;
    ico[4] = 0xFF;
    ico[5] = 0xFF;
    cases.push_back({"count 65535", ico});
  }
  {
    IcoEntry e = good;
    e.forceOffset = true;
    e.offset = static_cast<uint32_t>(valid.size());
    cases.push_back({"offset at the end", MakeIco(0, 1, {e})});
  }
  {
    IcoEntry e = good;
    e.forceOffset = true;
    e.offset = 0xFFFFFFF0u;  // wraps around in 32-bit arithmetic
    e.forceSize = true;
    e.size = 0x20;
    cases.push_back({"offset near 4 GiB", MakeIco(0, 1, {e})});
  }
  {
    IcoEntry e = good;
    e.forceSize = true;
    e.size = static_cast<uint32_t>(good.data.size() + 1);
    cases.push_back({"size one past the end", MakeIco(0, 1, {e})});
  }
  {
    IcoEntry e = good;
    e.forceSize = true;
    e.size = 0xFFFFFFFFu;
    cases.push_back({"size 4 GiB", MakeIco(0, 1, {e})});
  }
  {
    IcoEntry e = good;
    e.forceSize = true;
    e.size = 0;
    cases.push_back({"size 0", MakeIco(0, 1, {e})});
  }
  {
    IcoEntry e;
    e.data = Bytes(10, 0x28);  // neither PNG nor a bitmap header
    cases.push_back({"image too short for a bitmap header", MakeIco(0, 1, {e})});
  }
  {
    IcoEntry bad = good;
    bad.forceOffset = true;
    bad.offset = 0x7FFFFFFF;
    cases.push_back({"second of two entries outside", MakeIco(0, 1, {good, bad})});
  }

  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::wstring icoPath = work_ / L"broken.ico";
    ASSERT_TRUE(testsupport::WriteFileBytes(icoPath, c.ico));
    ImageBlock image;
    Bytes original;
    Load(testsupport::BinPath(L"patching_fixture_icons.exe"), &image, &original);
    HGLOBAL before = image.block;
    EXPECT_EQ(ReplaceIcons(false, icoPath.c_str(), image.block, image.size), 7);
    ExpectUntouched(image, before, original);
    EXPECT_TRUE(temp_.Files().empty());
  }

  SCOPED_TRACE("missing file");
  ImageBlock image;
  Bytes original;
  Load(testsupport::BinPath(L"patching_fixture_icons.exe"), &image, &original);
  HGLOBAL before = image.block;
  std::wstring missing = work_ / L"missing.ico";
  EXPECT_EQ(ReplaceIcons(false, missing.c_str(), image.block, image.size), 7);
  ExpectUntouched(image, before, original);
}

}  // namespace
}  // namespace patchtest
