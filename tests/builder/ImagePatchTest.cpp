// Manifest and built-in icon replacement on test programs and on the real
// stubs, and icon replacement from a user's .ico file, read back through
// the Win32 resource functions.
#include <algorithm>
#include <set>

#include "PatchFixture.h"

namespace patchtest {
namespace {

const WORD kEnglish = 1033;

Bytes ManifestOfSize(size_t size) {
  std::string head =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
      "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\n<!-- ";
  std::string tail = " -->\n</assembly>\n";
  Bytes bytes(head.begin(), head.end());
  while (bytes.size() + tail.size() < size) bytes.push_back('a' + bytes.size() % 26);
  bytes.insert(bytes.end(), tail.begin(), tail.end());
  bytes.resize(size);
  return bytes;
}

using ManifestReplace = PatchFixture;

TEST_F(ManifestReplace, PutsManifestAndKeepsOtherResources) {
  ImageBlock image;
  Load(testsupport::BinPath(L"patching_fixture_icons.exe"), &image);
  std::wstring before = Save(image, L"before.exe");
  Bytes manifest = ManifestOfSize(1500);
  ASSERT_EQ(ReplaceManifest(manifest.data(), static_cast<DWORD>(manifest.size()), image.block,
                            image.size),
            0);
  EXPECT_EQ(GlobalSize(image.block) >= image.size, true);
  std::wstring after = Save(image, L"after.exe");

  ResourceReader old(before), patched(after);
  ASSERT_TRUE(patched.ok());
  Bytes read;
  ASSERT_TRUE(patched.Get(RT_MANIFEST, 1, kEnglish, &read));
  EXPECT_TRUE(read == manifest);
  EXPECT_EQ(patched.Languages(RT_MANIFEST, 1), std::vector<WORD>{kEnglish});
  // Everything else is as it was.
  EXPECT_EQ(patched.Ids(RT_GROUP_ICON), old.Ids(RT_GROUP_ICON));
  EXPECT_EQ(patched.Ids(RT_ICON), old.Ids(RT_ICON));
  for (WORD id : old.Ids(RT_ICON)) {
    Bytes a, b;
    ASSERT_TRUE(old.Get(RT_ICON, id, 0xFFFF, &a));
    ASSERT_TRUE(patched.Get(RT_ICON, id, 0xFFFF, &b));
    EXPECT_TRUE(a == b) << "icon image " << id;
  }
  EXPECT_EQ(Run(after), 42u);
}

TEST_F(ManifestReplace, AcceptsLargeManifest) {
  ImageBlock image;
  Load(testsupport::BinPath(L"patching_fixture_icons.exe"), &image);
  Bytes manifest = ManifestOfSize(500000);
  ASSERT_EQ(ReplaceManifest(manifest.data(), static_cast<DWORD>(manifest.size()), image.block,
                            image.size),
            0);
  EXPECT_GT(image.size, 500000u);
  std::wstring after = Save(image, L"after.exe");
  ResourceReader patched(after);
  Bytes read;
  ASSERT_TRUE(patched.Get(RT_MANIFEST, 1, kEnglish, &read));
  EXPECT_TRUE(read == manifest);
  EXPECT_EQ(Run(after), 42u);
}

TEST_F(ManifestReplace, ImageWithoutManifestOneInEnglishGives9) {
  Bytes manifest = ManifestOfSize(600);
  struct Case {
    const char* what;
    WORD id, language;  // the manifest the image carries; id 0: none
  } cases[] = {{"no manifest", 0, 0}, {"manifest 1 in Japanese", 1, 1041},
               {"manifest 2 in English", 2, kEnglish}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::wstring path = Copy(testsupport::BinPath(L"patching_fixture_plain.exe"), L"plain.exe");
    if (c.id != 0) {
      ASSERT_TRUE(PutResource(path, RT_MANIFEST, c.id, c.language, manifest));
    }
    ImageBlock image;
    Bytes original;
    Load(path, &image, &original);
    HGLOBAL before = image.block;
    EXPECT_EQ(ReplaceManifest(manifest.data(), static_cast<DWORD>(manifest.size()), image.block,
                              image.size),
              9);
    ExpectUntouched(image, before, original);
  }
}

TEST_F(ManifestReplace, NoTemporaryFolderGives3) {
  ImageBlock image;
  Bytes original;
  Load(testsupport::BinPath(L"patching_fixture_icons.exe"), &image, &original);
  HGLOBAL before = image.block;
  temp_.PointAtMissingFolder();
  Bytes manifest = ManifestOfSize(600);
  EXPECT_EQ(ReplaceManifest(manifest.data(), static_cast<DWORD>(manifest.size()), image.block,
                            image.size),
            3);
  ExpectUntouched(image, before, original);
}

using IconReplace = PatchFixture;

// Checks an image after ReplaceIcons with a built-in set: the lowest group
// lists new images (ids above every old one) equal to the set's, in
// language 0 only; the old images of that group are gone; every other
// group and image is unchanged.
void ExpectBuiltInSet(const std::wstring& beforePath, const std::wstring& afterPath, WORD setId) {
  ResourceReader before(beforePath), after(afterPath);
  ASSERT_TRUE(after.ok());
  std::vector<WORD> oldGroups = before.Ids(RT_GROUP_ICON), oldImages = before.Ids(RT_ICON);
  ASSERT_FALSE(oldGroups.empty());
  const WORD g = oldGroups.front();
  Bytes oldGroupData, newGroupData, setData;
  ASSERT_TRUE(before.Get(RT_GROUP_ICON, g, 0xFFFF, &oldGroupData));
  Group oldGroup, newGroup, set;
  ASSERT_TRUE(ParseGroup(oldGroupData, &oldGroup));
  EXPECT_EQ(after.Ids(RT_GROUP_ICON), oldGroups);
  // The new group is language neutral; the old group's other languages
  // are deleted (Wine leaves them).
  std::vector<WORD> groupLanguages = after.Languages(RT_GROUP_ICON, g);
  if (RunningUnderWine()) {
    std::vector<WORD> expected = before.Languages(RT_GROUP_ICON, g);
    expected.push_back(0);
    std::sort(expected.begin(), expected.end());
    expected.erase(std::unique(expected.begin(), expected.end()), expected.end());
    EXPECT_EQ(groupLanguages, expected);
  } else {
    EXPECT_EQ(groupLanguages, std::vector<WORD>{0});
  }
  ASSERT_TRUE(after.Get(RT_GROUP_ICON, g, 0, &newGroupData));
  ASSERT_TRUE(ParseGroup(newGroupData, &newGroup));
  ASSERT_TRUE(OwnResource(RT_GROUP_ICON, setId, &setData));
  ASSERT_TRUE(ParseGroup(setData, &set));

  EXPECT_EQ(newGroup.reserved, 0);
  EXPECT_EQ(newGroup.type, 1);
  ASSERT_EQ(newGroup.entries.size(), set.entries.size());
  for (size_t i = 0; i < set.entries.size(); ++i) {
    const GroupEntry &n = newGroup.entries[i], &s = set.entries[i];
    EXPECT_EQ(n.id, oldImages.back() + 1 + i);
    EXPECT_EQ(n.width, s.width);
    EXPECT_EQ(n.height, s.height);
    EXPECT_EQ(n.colorCount, s.colorCount);
    EXPECT_EQ(n.planes, s.planes);
    EXPECT_EQ(n.bitCount, s.bitCount);
    EXPECT_EQ(n.bytesInRes, s.bytesInRes);
    Bytes newImage, setImage;
    ASSERT_TRUE(after.Get(RT_ICON, n.id, 0, &newImage));
    ASSERT_TRUE(OwnResource(RT_ICON, s.id, &setImage));
    EXPECT_TRUE(newImage == setImage) << "image " << i;
  }
  std::set<WORD> replaced;
  for (const GroupEntry& e : oldGroup.entries) replaced.insert(e.id);
  for (WORD id : oldImages) {
    if (replaced.count(id) && !RunningUnderWine()) {
      EXPECT_TRUE(after.Languages(RT_ICON, id).empty()) << "old image " << id << " still there";
    } else {
      Bytes a, b;
      ASSERT_TRUE(before.Get(RT_ICON, id, 0xFFFF, &a));
      ASSERT_TRUE(after.Get(RT_ICON, id, 0xFFFF, &b)) << "image " << id;
      EXPECT_TRUE(a == b) << "image " << id;
    }
  }
  for (size_t i = 1; i < oldGroups.size(); ++i) {
    Bytes a, b;
    ASSERT_TRUE(before.Get(RT_GROUP_ICON, oldGroups[i], 0xFFFF, &a));
    ASSERT_TRUE(after.Get(RT_GROUP_ICON, oldGroups[i], 0xFFFF, &b));
    EXPECT_TRUE(a == b) << "group " << oldGroups[i];
  }
}

TEST_F(IconReplace, BuiltInSetReplacesOnlyTheLowestGroup) {
  struct Set {
    const wchar_t* name;
    WORD id;
  } sets[] = {{L"green", 181}, {L"yellow", 182}, {L"red", 183}};
  for (const Set& s : sets) {
    SCOPED_TRACE(testsupport::Narrow(s.name));
    ImageBlock image;
    Load(testsupport::BinPath(L"patching_fixture_icons.exe"), &image);
    std::wstring before = Save(image, L"before.exe");
    ASSERT_EQ(ReplaceIcons(true, s.name, image.block, image.size), 0);
    std::wstring after = Save(image, std::wstring(s.name) + L".exe");
    ExpectBuiltInSet(before, after, s.id);
    // The manifest is untouched and the program still starts.
    ResourceReader patched(after);
    EXPECT_TRUE(patched.Has(RT_MANIFEST, 1, kEnglish));
    EXPECT_EQ(Run(after), 42u);
  }
}

TEST_F(IconReplace, SetNamesAreExactLowerCase) {
  for (const wchar_t* name : {L"Green", L"GREEN", L"green ", L"blue", L"", L"custom"}) {
    SCOPED_TRACE(testsupport::Narrow(name));
    ImageBlock image;
    Bytes original;
    Load(testsupport::BinPath(L"patching_fixture_icons.exe"), &image, &original);
    HGLOBAL before = image.block;
    EXPECT_EQ(ReplaceIcons(true, name, image.block, image.size), 7);
    ExpectUntouched(image, before, original);
  }
}

TEST_F(IconReplace, ImageWithoutIconsGives2) {
  ImageBlock image;
  Bytes original;
  Load(testsupport::BinPath(L"patching_fixture_plain.exe"), &image, &original);
  HGLOBAL before = image.block;
  EXPECT_EQ(ReplaceIcons(true, L"green", image.block, image.size), 2);
  ExpectUntouched(image, before, original);

  // A group whose images are all missing is no icon either.
  std::wstring path = Copy(testsupport::BinPath(L"patching_fixture_plain.exe"), L"group.exe");
  Bytes group;
  ASSERT_TRUE(OwnResource(RT_GROUP_ICON, 181, &group));
  ASSERT_TRUE(PutResource(path, RT_GROUP_ICON, 1, 0, group));
  ImageBlock groupOnly;
  Load(path, &groupOnly, &original);
  before = groupOnly.block;
  EXPECT_EQ(ReplaceIcons(true, L"green", groupOnly.block, groupOnly.size), 2);
  ExpectUntouched(groupOnly, before, original);
}

TEST_F(IconReplace, NewIdsBeyond65535Give8) {
  std::wstring path = Copy(testsupport::BinPath(L"patching_fixture_icons.exe"), L"full.exe");
  Bytes image0;
  ASSERT_TRUE(OwnResource(RT_ICON, 1, &image0));
  ASSERT_TRUE(PutResource(path, RT_ICON, 65535, 0, image0));
  ImageBlock image;
  Bytes original;
  Load(path, &image, &original);
  HGLOBAL before = image.block;
  EXPECT_EQ(ReplaceIcons(true, L"red", image.block, image.size), 8);
  ExpectUntouched(image, before, original);
}

TEST_F(IconReplace, NoTemporaryFolderGives9) {
  ImageBlock image;
  Bytes original;
  Load(testsupport::BinPath(L"patching_fixture_icons.exe"), &image, &original);
  HGLOBAL before = image.block;
  temp_.PointAtMissingFolder();
  EXPECT_EQ(ReplaceIcons(true, L"green", image.block, image.size), 9);
  ExpectUntouched(image, before, original);
}

// The real stubs of both bitnesses: as built they are patched when they
// carry a manifest and an icon and refused when they do not; with both
// added (here, through the Win32 functions) they take a new manifest and
// a built-in icon set and keep their version resource.
class RealStub : public PatchFixture, public ::testing::WithParamInterface<bool> {};

TEST_P(RealStub, TakesManifestAndIconSet) {
  const bool is64 = GetParam();
  std::wstring stub = is64 ? testsupport::BinPath(L"Tessaly64.exe") : PeerBinPath(L"Tessaly.exe");
  Bytes manifest = ManifestOfSize(2000);
  {
    ResourceReader asBuilt(stub);
    ASSERT_TRUE(asBuilt.ok()) << testsupport::Narrow(stub);
    ImageBlock image;
    Bytes original;
    Load(stub, &image, &original);
    HGLOBAL before = image.block;
    int result = ReplaceManifest(manifest.data(), static_cast<DWORD>(manifest.size()), image.block,
                                 image.size);
    if (asBuilt.Has(RT_MANIFEST, 1, kEnglish)) {
      EXPECT_EQ(result, 0);
    } else {
      EXPECT_EQ(result, 9);
      ExpectUntouched(image, before, original);
    }
    ImageBlock icons;
    Load(stub, &icons, &original);
    before = icons.block;
    result = ReplaceIcons(true, L"yellow", icons.block, icons.size);
    if (!asBuilt.Ids(RT_GROUP_ICON).empty() && !asBuilt.Ids(RT_ICON).empty()) {
      EXPECT_EQ(result, 0);
    } else {
      EXPECT_EQ(result, 2);
      ExpectUntouched(icons, before, original);
    }
  }

  std::wstring prepared = Copy(stub, L"stub.exe");
  {
    bool needManifest = false, needIcon = false;
    {
      ResourceReader reader(prepared);
      needManifest = !reader.Has(RT_MANIFEST, 1, kEnglish);
      needIcon = reader.Ids(RT_GROUP_ICON).empty() || reader.Ids(RT_ICON).empty();
    }
    if (needManifest) {
      ASSERT_TRUE(PutResource(prepared, RT_MANIFEST, 1, kEnglish, ManifestOfSize(300)));
    }
    if (needIcon) {
      // The green set under group 1, images 1 to n.
      Bytes groupData;
      Group group;
      ASSERT_TRUE(OwnResource(RT_GROUP_ICON, 181, &groupData));
      ASSERT_TRUE(ParseGroup(groupData, &group));
      for (size_t i = 0; i < group.entries.size(); ++i) {
        Bytes data;
        ASSERT_TRUE(OwnResource(RT_ICON, group.entries[i].id, &data));
        ASSERT_TRUE(PutResource(prepared, RT_ICON, static_cast<WORD>(i + 1), 0, data));
        groupData[6 + i * 14 + 12] = static_cast<uint8_t>(i + 1);
        groupData[6 + i * 14 + 13] = 0;
      }
      ASSERT_TRUE(PutResource(prepared, RT_GROUP_ICON, 1, 0, groupData));
    }
  }
  ImageBlock image;
  Load(prepared, &image);
  ASSERT_EQ(ReplaceManifest(manifest.data(), static_cast<DWORD>(manifest.size()), image.block,
                            image.size),
            0);
  std::wstring withManifest = Save(image, L"manifest.exe");
  ASSERT_EQ(ReplaceIcons(true, L"red", image.block, image.size), 0);
  std::wstring patched = Save(image, L"patched.exe");
  ExpectBuiltInSet(withManifest, patched, 183);

  ResourceReader original(stub), after(patched);
  Bytes read;
  ASSERT_TRUE(after.Get(RT_MANIFEST, 1, kEnglish, &read));
  EXPECT_TRUE(read == manifest);
  Bytes versionBefore, versionAfter;
  ASSERT_TRUE(original.Get(RT_VERSION, 1, 0xFFFF, &versionBefore));
  ASSERT_TRUE(after.Get(RT_VERSION, 1, 0xFFFF, &versionAfter));
  EXPECT_TRUE(versionBefore == versionAfter);
  // Still a program of the stub's machine type.
  Bytes bytes = BlockBytes(image.block, image.size);
  ASSERT_GT(bytes.size(), 0x40u);
  uint32_t e = bytes[0x3C] | (bytes[0x3D] << 8) | (bytes[0x3E] << 16) | (bytes[0x3F] << 24);
  ASSERT_LT(e + 6, bytes.size());
  EXPECT_EQ(bytes[e + 4] | (bytes[e + 5] << 8), is64 ? 0x8664 : 0x014C);
}

INSTANTIATE_TEST_SUITE_P(BothBitnesses, RealStub, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return std::string(info.param ? "Stub64" : "Stub32");
                         });

// The builder's icon sets: every set holds 16, 32 and 48 pixel images in
// 32-bit colour with alpha, 256 colours and 16 colours, each image's
// bitmap header matching its group entry.
TEST(IconSets, HoldEverySizeAndColourDepth) {
  for (WORD setId : {181, 182, 183}) {
    SCOPED_TRACE(setId);
    Bytes groupData;
    Group group;
    ASSERT_TRUE(OwnResource(RT_GROUP_ICON, setId, &groupData));
    ASSERT_TRUE(ParseGroup(groupData, &group));
    std::set<std::pair<int, int>> found;
    for (const GroupEntry& e : group.entries) {
      Bytes image;
      ASSERT_TRUE(OwnResource(RT_ICON, e.id, &image));
      ASSERT_GE(image.size(), 40u);
      EXPECT_EQ(image.size(), e.bytesInRes);
      auto u32 = [&](size_t o) { return image[o] | (image[o + 1] << 8) | (image[o + 2] << 16); };
      EXPECT_EQ(u32(0), 40);
      EXPECT_EQ(u32(4), e.width);
      EXPECT_EQ(u32(8), 2 * e.height);
      EXPECT_EQ(image[12], 1);
      EXPECT_EQ(image[14], e.bitCount);
      EXPECT_EQ(e.planes, 1);
      EXPECT_EQ(e.colorCount, e.bitCount == 4 ? 16 : 0);
      found.insert({e.width, e.bitCount});
    }
    std::set<std::pair<int, int>> expected;
    for (int size : {16, 32, 48}) {
      for (int bits : {4, 8, 32}) expected.insert({size, bits});
    }
    EXPECT_EQ(found, expected);
  }
}

// Icon replacement from a user's .ico file: PNG and bitmap images, cursor
// files, and every kind of broken file (refused with 7, image untouched).
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
