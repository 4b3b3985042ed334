#include "FileIO.h"

#include <new>

#include "ScopedHandles.h"

namespace {

const DWORD kMaxPiece = 0x100000;

DWORD Piece(size_t left) { return left > kMaxPiece ? kMaxPiece : static_cast<DWORD>(left); }

}  // namespace

bool WriteAll(HANDLE file, const void* data, size_t size) {
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  while (size > 0) {
    const DWORD piece = Piece(size);
    DWORD written = 0;
    if (!WriteFile(file, bytes, piece, &written, nullptr) || written != piece) return false;
    bytes += piece;
    size -= piece;
  }
  return true;
}

bool ReadExact(HANDLE file, void* data, size_t size) {
  uint8_t* bytes = static_cast<uint8_t*>(data);
  while (size > 0) {
    DWORD got = 0;
    if (!ReadFile(file, bytes, Piece(size), &got, nullptr) || got == 0) return false;
    bytes += got;
    size -= got;
  }
  return true;
}

FileReadResult ReadWholeFile(const wchar_t* path, uint64_t maxSize, std::vector<uint8_t>* bytes) {
  bytes->clear();
  vesmarin::ScopedFile file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return FileReadResult::kOpenFailed;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0) return FileReadResult::kReadFailed;
  const uint64_t length = static_cast<uint64_t>(size.QuadPart);
  if (length > maxSize || length > SIZE_MAX) return FileReadResult::kTooLarge;
  try {
    bytes->resize(static_cast<size_t>(length));
  } catch (const std::bad_alloc&) {
    return FileReadResult::kNoMemory;
  }
  if (!ReadExact(file.get(), bytes->data(), bytes->size())) {
    bytes->clear();
    return FileReadResult::kReadFailed;
  }
  return FileReadResult::kRead;
}

bool WriteWholeFile(const wchar_t* path, const void* data, size_t size) {
  vesmarin::ScopedFile file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return false;
  const bool written = WriteAll(file.get(), data, size);
  if (file.Close() && written) return true;
  DeleteFileW(path);
  return false;
}
