#include "Sha256.h"

namespace vesmarin {

Sha256::Sha256() {
  if (!CryptAcquireContextW(&provider_, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT) ||
      !CryptCreateHash(provider_, CALG_SHA_256, 0, 0, &hash_))
    failed_ = true;
}

Sha256::~Sha256() {
  if (hash_) CryptDestroyHash(hash_);
  if (provider_) CryptReleaseContext(provider_, 0);
}

bool Sha256::Add(const void* data, size_t size) {
  const BYTE* bytes = static_cast<const BYTE*>(data);
  while (!failed_ && size > 0) {
    const DWORD piece = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
    if (!CryptHashData(hash_, bytes, piece, 0)) failed_ = true;
    bytes += piece;
    size -= piece;
  }
  return !failed_;
}

bool Sha256::Finish(std::wstring* hex) {
  BYTE digest[32];
  DWORD length = sizeof digest;
  if (failed_ || !CryptGetHashParam(hash_, HP_HASHVAL, digest, &length, 0) || length != 32) {
    failed_ = true;
    return false;
  }
  static const wchar_t kDigits[] = L"0123456789abcdef";
  hex->clear();
  for (BYTE b : digest) {
    hex->push_back(kDigits[b >> 4]);
    hex->push_back(kDigits[b & 15]);
  }
  return true;
}

bool Sha256Hex(const void* data, size_t size, std::wstring* hex) {
  Sha256 hash;
  return hash.Add(data, size) && hash.Finish(hex);
}

}  // namespace vesmarin
