#include "PatchTestUtil.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace patchtest {

HGLOBAL MakeBlock(const Bytes& bytes) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes.size());
  if (block == nullptr) return nullptr;
  void* p = GlobalLock(block);
  memcpy(p, bytes.data(), bytes.size());
  GlobalUnlock(block);
  return block;
}

Bytes BlockBytes(HGLOBAL block, DWORD size) {
  const uint8_t* p = static_cast<const uint8_t*>(GlobalLock(block));
  Bytes bytes(p, p + size);
  GlobalUnlock(block);
  return bytes;
}

ResourceReader::ResourceReader(const std::wstring& path)
    : module_(LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}

ResourceReader::~ResourceReader() {
  if (module_) FreeLibrary(module_);
}

static bool ReadResource(HMODULE module, HRSRC found, Bytes* data) {
  if (found == nullptr) return false;
  HGLOBAL loaded = LoadResource(module, found);
  const uint8_t* p = static_cast<const uint8_t*>(LockResource(loaded));
  if (p == nullptr) return false;
  if (data) data->assign(p, p + SizeofResource(module, found));
  return true;
}

bool ResourceReader::Get(const wchar_t* type, WORD id, WORD language, Bytes* data) const {
  if (!module_) return false;
  HRSRC found = language == 0xFFFF
                    ? FindResourceW(module_, MAKEINTRESOURCEW(id), type)
                    : FindResourceExW(module_, type, MAKEINTRESOURCEW(id), language);
  return ReadResource(module_, found, data);
}

bool ResourceReader::Has(const wchar_t* type, WORD id, WORD language) const {
  return Get(type, id, language, nullptr);
}

static BOOL CALLBACK AddId(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) {
  if (IS_INTRESOURCE(name)) {
    reinterpret_cast<std::vector<WORD>*>(param)->push_back(
        static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name)));
  }
  return TRUE;
}

static BOOL CALLBACK AddLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR param) {
  reinterpret_cast<std::vector<WORD>*>(param)->push_back(language);
  return TRUE;
}

std::vector<WORD> ResourceReader::Ids(const wchar_t* type) const {
  std::vector<WORD> ids;
  if (module_) EnumResourceNamesW(module_, type, AddId, reinterpret_cast<LONG_PTR>(&ids));
  std::sort(ids.begin(), ids.end());
  return ids;
}

std::vector<WORD> ResourceReader::Languages(const wchar_t* type, WORD id) const {
  std::vector<WORD> languages;
  if (module_) {
    EnumResourceLanguagesW(module_, type, MAKEINTRESOURCEW(id), AddLanguage,
                           reinterpret_cast<LONG_PTR>(&languages));
  }
  std::sort(languages.begin(), languages.end());
  return languages;
}

bool OwnResource(const wchar_t* type, WORD id, Bytes* data) {
  HMODULE self = GetModuleHandleW(nullptr);
  return ReadResource(self, FindResourceW(self, MAKEINTRESOURCEW(id), type), data);
}

static uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
static uint32_t U32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
static void Put16(Bytes& b, uint16_t v) {
  b.push_back(v & 0xFF);
  b.push_back(v >> 8);
}
static void Put32(Bytes& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back((v >> (8 * i)) & 0xFF);
}
static void Put32BE(Bytes& b, uint32_t v) {
  for (int i = 3; i >= 0; --i) b.push_back((v >> (8 * i)) & 0xFF);
}

bool ParseGroup(const Bytes& data, Group* group) {
  if (data.size() < 6) return false;
  group->reserved = U16(&data[0]);
  group->type = U16(&data[2]);
  size_t count = U16(&data[4]);
  if (data.size() < 6 + count * 14) return false;
  group->entries.clear();
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* e = &data[6 + i * 14];
    group->entries.push_back(
        {e[0], e[1], e[2], e[3], U16(e + 4), U16(e + 6), U32(e + 8), U16(e + 12)});
  }
  return true;
}

Bytes MakeIco(uint16_t reserved, uint16_t type, const std::vector<IcoEntry>& entries) {
  Bytes b;
  Put16(b, reserved);
  Put16(b, type);
  Put16(b, static_cast<uint16_t>(entries.size()));
  uint32_t offset = static_cast<uint32_t>(6 + 16 * entries.size());
  for (const IcoEntry& e : entries) {
    b.push_back(e.width);
    b.push_back(e.height);
    b.push_back(e.colorCount);
    b.push_back(e.reserved);
    Put16(b, e.planes);
    Put16(b, e.bitCount);
    Put32(b, e.forceSize ? e.size : static_cast<uint32_t>(e.data.size()));
    Put32(b, e.forceOffset ? e.offset : offset);
    offset += static_cast<uint32_t>(e.data.size());
  }
  for (const IcoEntry& e : entries) b.insert(b.end(), e.data.begin(), e.data.end());
  return b;
}

Bytes MakeBitmapImage(int size, int bits) {
  int colorRow = ((size * bits + 31) / 32) * 4, maskRow = ((size + 31) / 32) * 4;
  int paletteSize = bits <= 8 ? (1 << bits) : 0;
  Bytes b;
  Put32(b, 40);
  Put32(b, size);
  Put32(b, size * 2);
  Put16(b, 1);
  Put16(b, static_cast<uint16_t>(bits));
  Put32(b, 0);
  Put32(b, (colorRow + maskRow) * size);
  Put32(b, 0);
  Put32(b, 0);
  Put32(b, 0);
  Put32(b, 0);
  for (int i = 0; i < paletteSize; ++i) Put32(b, static_cast<uint32_t>(i * 0x010203));
  for (int i = 0; i < colorRow * size; ++i) b.push_back(static_cast<uint8_t>(i * 7 + bits));
  for (int i = 0; i < maskRow * size; ++i) b.push_back(0);
  return b;
}

static void PngChunk(Bytes& png, const char* type, const Bytes& data) {
  Put32BE(png, static_cast<uint32_t>(data.size()));
  Bytes body(type, type + 4);
  body.insert(body.end(), data.begin(), data.end());
  png.insert(png.end(), body.begin(), body.end());
  Put32BE(png, static_cast<uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size()))));
}

Bytes MakePng(int width, int height) {
  Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  Bytes header;
  Put32BE(header, width);
  Put32BE(header, height);
  header.insert(header.end(), {8, 6, 0, 0, 0});  // 8-bit RGBA
  PngChunk(png, "IHDR", header);
  Bytes raw;
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);
    for (int x = 0; x < width; ++x) {
      raw.insert(raw.end(), {static_cast<uint8_t>(x), static_cast<uint8_t>(y), 0x80, 0xFF});
    }
  }
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  Bytes packed(packedSize);
  compress(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()));
  packed.resize(packedSize);
  PngChunk(png, "IDAT", packed);
  PngChunk(png, "IEND", {});
  return png;
}

bool PutResource(const std::wstring& path, const wchar_t* type, WORD id, WORD language,
                 const Bytes& data) {
  HANDLE update = BeginUpdateResourceW(path.c_str(), FALSE);
  if (update == nullptr) return false;
  if (!UpdateResourceW(update, type, MAKEINTRESOURCEW(id), language,
                       const_cast<uint8_t*>(data.data()), static_cast<DWORD>(data.size()))) {
    EndUpdateResourceW(update, TRUE);
    return false;
  }
  return EndUpdateResourceW(update, FALSE) != FALSE;
}

bool RunningUnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::wstring PeerBinPath(const std::wstring& fileName) {
  std::wstring path = L"Z:" + testsupport::Widen(PATCHING_PEER_BIN) + L"\\" + fileName;
  std::replace(path.begin(), path.end(), L'/', L'\\');
  return path;
}

static bool ReadVariable(const wchar_t* name, std::wstring* value) {
  wchar_t buffer[MAX_PATH * 2];
  DWORD length = GetEnvironmentVariableW(name, buffer, MAX_PATH * 2);
  if (length == 0 || length >= MAX_PATH * 2) return false;
  value->assign(buffer, length);
  return true;
}

PrivateTemp::PrivateTemp() : dir_(L"patchtmp") {
  hadTmp_ = ReadVariable(L"TMP", &oldTmp_);
  hadTemp_ = ReadVariable(L"TEMP", &oldTemp_);
  SetEnvironmentVariableW(L"TMP", dir_.path().c_str());
  SetEnvironmentVariableW(L"TEMP", dir_.path().c_str());
}

PrivateTemp::~PrivateTemp() {
  SetEnvironmentVariableW(L"TMP", hadTmp_ ? oldTmp_.c_str() : nullptr);
  SetEnvironmentVariableW(L"TEMP", hadTemp_ ? oldTemp_.c_str() : nullptr);
}

std::vector<std::wstring> PrivateTemp::Files() const {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((dir_.path() + L"*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    std::wstring name = data.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return names;
}

void PrivateTemp::PointAtMissingFolder() {
  std::wstring missing = dir_.path() + L"missing\\";
  SetEnvironmentVariableW(L"TMP", missing.c_str());
  SetEnvironmentVariableW(L"TEMP", missing.c_str());
}

}  // namespace patchtest
