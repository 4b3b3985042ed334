// Test helpers for image patching: global blocks, a resource reader over the
// Win32 loader (independent of the code under test), .ico and PNG writers.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace patchtest {

using Bytes = std::vector<uint8_t>;

// A movable global block holding the bytes, as the build hands it over.
HGLOBAL MakeBlock(const Bytes& bytes);
Bytes BlockBytes(HGLOBAL block, DWORD size);

// Resources of a program file, read through LoadLibraryExW as a data file.
class ResourceReader {
 public:
  explicit ResourceReader(const std::wstring& path);
  ~ResourceReader();
  ResourceReader(const ResourceReader&) = delete;
  ResourceReader& operator=(const ResourceReader&) = delete;
  bool ok() const { return module_ != nullptr; }
  // Any language when language is 0xFFFF.
  bool Get(const wchar_t* type, WORD id, WORD language, Bytes* data) const;
  bool Has(const wchar_t* type, WORD id, WORD language = 0xFFFF) const;
  std::vector<WORD> Ids(const wchar_t* type) const;  // ascending
  std::vector<WORD> Languages(const wchar_t* type, WORD id) const;

 private:
  HMODULE module_;
};

// The resources of this test program (it carries the builder's icon sets).
bool OwnResource(const wchar_t* type, WORD id, Bytes* data);

struct GroupEntry {
  uint8_t width, height, colorCount, reserved;
  uint16_t planes, bitCount;
  uint32_t bytesInRes;
  uint16_t id;
};
struct Group {
  uint16_t reserved = 0, type = 0;
  std::vector<GroupEntry> entries;
};
bool ParseGroup(const Bytes& data, Group* group);

// One directory entry and its image for MakeIco; the offset and size may be
// forced to test broken files.
struct IcoEntry {
  uint8_t width = 0, height = 0, colorCount = 0, reserved = 0;
  uint16_t planes = 0, bitCount = 0;
  Bytes data;
  bool forceOffset = false;
  uint32_t offset = 0;
  bool forceSize = false;
  uint32_t size = 0;
};
Bytes MakeIco(uint16_t reserved, uint16_t type, const std::vector<IcoEntry>& entries);
// An icon image: BITMAPINFOHEADER (planes 1), colour rows, AND mask.
Bytes MakeBitmapImage(int size, int bits);
// A real PNG (RGBA) of the given size.
Bytes MakePng(int width, int height);

// Adds or replaces one resource of a file (test-side preparation).
bool PutResource(const std::wstring& path, const wchar_t* type, WORD id, WORD language,
                 const Bytes& data);

// Wine's UpdateResourceW accepts the deletion of a resource that the file
// already holds but leaves it in place; Windows removes it.
bool RunningUnderWine();

// The i686 tree's program folder as a Windows path.
std::wstring PeerBinPath(const std::wstring& fileName);

// Points TMP and TEMP of this process at a fresh folder for the object's
// lifetime, so that temporary files of the code under test can be counted.
class PrivateTemp {
 public:
  PrivateTemp();
  ~PrivateTemp();
  const std::wstring& path() const { return dir_.path(); }
  std::vector<std::wstring> Files() const;
  // Points TMP and TEMP at a folder that does not exist.
  void PointAtMissingFolder();

 private:
  testsupport::TempDir dir_;
  std::wstring oldTmp_, oldTemp_;
  bool hadTmp_ = false, hadTemp_ = false;
};

}  // namespace patchtest
