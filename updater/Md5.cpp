#include "Md5.h"

#include <cstring>
#include <new>

namespace {

inline uint32_t Rotate(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }
inline uint32_t F(uint32_t x, uint32_t y, uint32_t z) { return (x & y) | (~x & z); }
inline uint32_t G(uint32_t x, uint32_t y, uint32_t z) { return (x & z) | (y & ~z); }
inline uint32_t H(uint32_t x, uint32_t y, uint32_t z) { return x ^ y ^ z; }
inline uint32_t I(uint32_t x, uint32_t y, uint32_t z) { return y ^ (x | ~z); }

const int kShift[64] = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
                        5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
                        4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
                        6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};

// T[i] = floor(abs(sin(i + 1)) * 2^32), RFC 1321 section 3.4.
const uint32_t kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613,
    0xfd469501, 0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193,
    0xa679438e, 0x49b40821, 0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d,
    0x02441453, 0xd8a1e681, 0xe7d3fbc8, 0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed,
    0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a, 0xfffa3942, 0x8771f681, 0x6d9d6122,
    0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70, 0x289b7ec6, 0xeaa127fa,
    0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665, 0xf4292244,
    0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb,
    0xeb86d391};

}  // namespace

void Md5Init(Md5Context* context) {
  context->BitCountLow = 0;
  context->BitCountHigh = 0;
  context->State[0] = 0x67452301;
  context->State[1] = 0xefcdab89;
  context->State[2] = 0x98badcfe;
  context->State[3] = 0x10325476;
  memset(context->Block, 0, sizeof context->Block);
}

void Md5Transform(uint32_t state[4], const uint8_t block[64]) {
  // Copying also takes care of input that is not 4-byte aligned.
  uint32_t x[16];
  for (int i = 0; i < 16; ++i)
    x[i] = static_cast<uint32_t>(block[i * 4]) | (static_cast<uint32_t>(block[i * 4 + 1]) << 8) |
           (static_cast<uint32_t>(block[i * 4 + 2]) << 16) |
           (static_cast<uint32_t>(block[i * 4 + 3]) << 24);
  uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
  for (int i = 0; i < 64; ++i) {
    uint32_t f;
    int k;
    if (i < 16) {
      f = F(b, c, d);
      k = i;
    } else if (i < 32) {
      f = G(b, c, d);
      k = (5 * i + 1) % 16;
    } else if (i < 48) {
      f = H(b, c, d);
      k = (3 * i + 5) % 16;
    } else {
      f = I(b, c, d);
      k = (7 * i) % 16;
    }
    const uint32_t next = b + Rotate(a + f + kSine[i] + x[k], kShift[i]);
    a = d;
    d = c;
    c = b;
    b = next;
  }
  state[0] += a;
  state[1] += b;
  state[2] += c;
  state[3] += d;
}

void Md5Append(Md5Context* context, const uint8_t* data, size_t length) {
  size_t used = (context->BitCountLow >> 3) & 63;
  const uint64_t bits = (static_cast<uint64_t>(context->BitCountHigh) << 32 |
                         context->BitCountLow) + (static_cast<uint64_t>(length) << 3);
  context->BitCountLow = static_cast<uint32_t>(bits);
  context->BitCountHigh = static_cast<uint32_t>(bits >> 32);
  while (length > 0) {
    size_t take = 64 - used;
    if (take > length) take = length;
    memcpy(context->Block + used, data, take);
    used += take;
    data += take;
    length -= take;
    if (used == 64) {
      Md5Transform(context->State, context->Block);
      used = 0;
    }
  }
}

void Md5Final(Md5Context* context, uint8_t digest[16]) {
  uint8_t count[8];
  for (int i = 0; i < 4; ++i) {
    count[i] = static_cast<uint8_t>(context->BitCountLow >> (8 * i));
    count[4 + i] = static_cast<uint8_t>(context->BitCountHigh >> (8 * i));
  }
  const size_t used = (context->BitCountLow >> 3) & 63;
  const size_t padding = used < 56 ? 56 - used : 120 - used;
  uint8_t pad[64] = {0x80};
  Md5Append(context, pad, padding);
  Md5Append(context, count, 8);
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) digest[i * 4 + j] = static_cast<uint8_t>(context->State[i] >> (8 * j));
}

Md5Context* Md5Create() {
  Md5Context* context = new (std::nothrow) Md5Context;
  if (context) Md5Init(context);
  return context;
}

void Md5Update(Md5Context* context, const void* data, size_t length) {
  if (!context || length == 0 || !data) return;
  Md5Append(context, static_cast<const uint8_t*>(data), length);
}

void Md5FinishHex(Md5Context* context, wchar_t* text) {
  if (!context) return;
  uint8_t digest[16];
  Md5Final(context, digest);
  static const wchar_t kHex[] = L"0123456789abcdef";
  if (text) {
    for (int i = 0; i < 16; ++i) {
      text[i * 2] = kHex[digest[i] >> 4];
      text[i * 2 + 1] = kHex[digest[i] & 15];
    }
    text[32] = L'\0';
  }
  delete context;
}
