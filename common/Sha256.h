// SHA-256 digests through the system's cryptographic provider.
#pragma once
#include <windows.h>
#include <wincrypt.h>

#include <cstddef>
#include <string>

namespace vesmarin {

class Sha256 {
 public:
  Sha256();
  ~Sha256();
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;

  // False once anything failed; the digest is then unavailable.
  bool Add(const void* data, size_t size);
  // The digest as 64 lower-case hexadecimal digits; false on any failure.
  bool Finish(std::wstring* hex);

 private:
  HCRYPTPROV provider_ = 0;
  HCRYPTHASH hash_ = 0;
  bool failed_ = false;
};

// The digest of one block; false on failure.
bool Sha256Hex(const void* data, size_t size, std::wstring* hex);

}  // namespace vesmarin
