// Reading and writing whole files and whole buffers.
#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>
#include <vector>

// Writes every byte of data to an open file, in pieces of at most 1 MB;
// false on any failure or short write.
bool WriteAll(HANDLE file, const void* data, size_t size);

// Reads exactly size bytes from an open file; false on a failure or when the
// file ends first.
bool ReadExact(HANDLE file, void* data, size_t size);

// What ReadWholeFile found.
enum class FileReadResult {
  kRead,      // bytes hold the whole file (empty for an empty file)
  kOpenFailed,
  kTooLarge,  // larger than the caller's limit; nothing read
  kNoMemory,
  kReadFailed,
};

// Reads a whole file of at most maxSize bytes into bytes (cleared first).
FileReadResult ReadWholeFile(const wchar_t* path, uint64_t maxSize, std::vector<uint8_t>* bytes);

// Creates (or replaces) a file holding exactly data; false when it cannot be
// created, written or closed (a partly written file is then deleted).
bool WriteWholeFile(const wchar_t* path, const void* data, size_t size);
