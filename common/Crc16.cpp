#include "Crc16.h"

#include <immintrin.h>

// Three ways to the same CRC-16/ARC values. Where the processor multiplies
// without carries, 128-bit blocks are folded with PCLMULQDQ, sixteen at a
// time where it has the 256-bit form, faster than a memory copy. Everywhere
// else, and for short runs and tails, a table lookup takes eight bytes a
// step.

namespace {

// table[k][i] is the CRC of byte i followed by k zero bytes, so eight
// lookups replace eight dependent steps.
struct Crc16Tables {
  uint16_t entry[8][256];
  constexpr Crc16Tables() : entry() {
    for (unsigned i = 0; i < 256; ++i) {
      unsigned value = i;
      for (int bit = 0; bit < 8; ++bit)
        value = (value & 1) ? (value >> 1) ^ 0xA001u : value >> 1;
      entry[0][i] = static_cast<uint16_t>(value);
    }
    for (unsigned i = 0; i < 256; ++i)
      for (int k = 1; k < 8; ++k)
        entry[k][i] = static_cast<uint16_t>((entry[k - 1][i] >> 8) ^ entry[0][entry[k - 1][i] & 0xFF]);
  }
};

constexpr Crc16Tables kTables;

uint16_t TableCrc16(const uint8_t* bytes, uint32_t count, uint16_t crc) {
  const auto& t = kTables.entry;
  while (count >= 8) {
    const unsigned b0 = bytes[0] ^ (crc & 0xFF);
    const unsigned b1 = bytes[1] ^ (crc >> 8);
    crc = static_cast<uint16_t>(t[7][b0] ^ t[6][b1] ^ t[5][bytes[2]] ^ t[4][bytes[3]] ^
                                t[3][bytes[4]] ^ t[2][bytes[5]] ^ t[1][bytes[6]] ^ t[0][bytes[7]]);
    bytes += 8;
    count -= 8;
  }
  while (count--) crc = static_cast<uint16_t>((crc >> 8) ^ t[0][(crc ^ *bytes++) & 0xFF]);
  return crc;
}

// Folding. The bits of a 16-byte block stand for the coefficients of x^127
// (bit 0 of byte 0) down to x^0, as the reflected CRC reads them. With the
// block split into its first and second 64 bits, A * x^128 = first * x^192 +
// second * x^128, which is congruent modulo the CRC polynomial to first *
// (x^192 mod P) + second * (x^128 mod P): two carry-less products of 64 x 16
// bits that fit a block again. A carry-less product of two reflected
// operands comes out shifted by one degree, so the constants are x^(e-1) mod
// P. At the end the block is congruent to the whole message, and the CRC of
// its 16 bytes (from 0) is the CRC of the message; the initial CRC is folded
// in by XOR into the first two bytes.

// x^e mod P for P = x^16 + x^15 + x^2 + 1, as a reflected 64-bit operand.
constexpr uint64_t ReflectedXPowMod(unsigned e) {
  uint32_t r = 1;
  for (unsigned i = 0; i < e; ++i) {
    r <<= 1;
    if (r & 0x10000) r ^= 0x18005;
  }
  uint64_t reflected = 0;
  for (int d = 0; d < 16; ++d)
    if ((r >> d) & 1) reflected |= uint64_t(1) << (63 - d);
  return reflected;
}

constexpr uint64_t kFold512First = ReflectedXPowMod(512 + 64 - 1);
constexpr uint64_t kFold512Second = ReflectedXPowMod(512 - 1);
constexpr uint64_t kFold128First = ReflectedXPowMod(128 + 64 - 1);
constexpr uint64_t kFold128Second = ReflectedXPowMod(128 - 1);
constexpr uint64_t kFold2048First = ReflectedXPowMod(2048 + 64 - 1);
constexpr uint64_t kFold2048Second = ReflectedXPowMod(2048 - 1);

__attribute__((target("pclmul,sse2"))) inline __m128i FoldInto(__m128i a, __m128i k, __m128i next) {
  return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(a, k, 0x00), _mm_clmulepi64_si128(a, k, 0x11)),
                       next);
}

// The CRC of the folded block followed by the `n` bytes left at `p`.
__attribute__((target("sse2"))) uint16_t FinishFold(__m128i folded, const uint8_t* p, uint32_t n) {
  alignas(16) uint8_t last[16];
  _mm_store_si128(reinterpret_cast<__m128i*>(last), folded);
  return TableCrc16(p, n, TableCrc16(last, 16, 0));
}

// n >= 32.
__attribute__((target("pclmul,sse2"))) uint16_t FoldCrc16(const uint8_t* p, uint32_t n, uint16_t crc) {
  const __m128i k512 = _mm_set_epi64x(static_cast<long long>(kFold512Second),
                                      static_cast<long long>(kFold512First));
  const __m128i k128 = _mm_set_epi64x(static_cast<long long>(kFold128Second),
                                      static_cast<long long>(kFold128First));
  __m128i a0 = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)),
                             _mm_cvtsi32_si128(crc));
  p += 16;
  n -= 16;
  if (n >= 112) {
    // Four lanes 64 bytes apart, joined at the end.
    __m128i a1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    __m128i a2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
    __m128i a3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32));
    p += 48;
    n -= 48;
    while (n >= 64) {
      a0 = FoldInto(a0, k512, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
      a1 = FoldInto(a1, k512, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16)));
      a2 = FoldInto(a2, k512, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32)));
      a3 = FoldInto(a3, k512, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 48)));
      p += 64;
      n -= 64;
    }
    a1 = FoldInto(a0, k128, a1);
    a2 = FoldInto(a1, k128, a2);
    a0 = FoldInto(a2, k128, a3);
  }
  while (n >= 16) {
    a0 = FoldInto(a0, k128, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
    p += 16;
    n -= 16;
  }
  return FinishFold(a0, p, n);
}

// Where the processor multiplies four 64-bit pairs at once (VPCLMULQDQ on
// 256-bit registers), eight registers hold sixteen blocks 256 bytes apart;
// at the end the sixteen are folded into one as a 256-byte message would be.
// n >= 256.
__attribute__((target("avx2,vpclmulqdq,pclmul"))) uint16_t WideFoldCrc16(const uint8_t* p, uint32_t n,
                                                                          uint16_t crc) {
  const __m256i k2048 = _mm256_broadcastsi128_si256(_mm_set_epi64x(
      static_cast<long long>(kFold2048Second), static_cast<long long>(kFold2048First)));
  __m256i a[8];
  for (int i = 0; i < 8; ++i) a[i] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32 * i));
  a[0] = _mm256_xor_si256(a[0], _mm256_zextsi128_si256(_mm_cvtsi32_si128(crc)));
  p += 256;
  n -= 256;
  while (n >= 256) {
    for (int i = 0; i < 8; ++i) {
      const __m256i next = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32 * i));
      a[i] = _mm256_xor_si256(_mm256_xor_si256(_mm256_clmulepi64_epi128(a[i], k2048, 0x00),
                                               _mm256_clmulepi64_epi128(a[i], k2048, 0x11)),
                              next);
    }
    p += 256;
    n -= 256;
  }
  alignas(32) uint8_t blocks[256];
  for (int i = 0; i < 8; ++i) _mm256_store_si256(reinterpret_cast<__m256i*>(blocks + 32 * i), a[i]);
  const __m128i k128 = _mm_set_epi64x(static_cast<long long>(kFold128Second),
                                      static_cast<long long>(kFold128First));
  __m128i acc = _mm_load_si128(reinterpret_cast<const __m128i*>(blocks));
  for (int j = 1; j < 16; ++j)
    acc = FoldInto(acc, k128, _mm_load_si128(reinterpret_cast<const __m128i*>(blocks + 16 * j)));
  while (n >= 16) {
    acc = FoldInto(acc, k128, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
    p += 16;
    n -= 16;
  }
  return FinishFold(acc, p, n);
}

Crc16Method DetectFastest() {
  __builtin_cpu_init();
  if (!__builtin_cpu_supports("pclmul") || !__builtin_cpu_supports("sse2")) return Crc16Method::Table;
  // AVX2 also tells that the system saves the 256-bit registers.
  if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("vpclmulqdq"))
    return Crc16Method::WideFold;
  return Crc16Method::Fold;
}

}  // namespace

Crc16Method Crc16FastestMethod() {
  static const Crc16Method fastest = DetectFastest();
  return fastest;
}

uint16_t UpdateCrc16Using(Crc16Method method, const void* data, uint32_t count, uint16_t crc) {
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  if (method > Crc16FastestMethod()) method = Crc16FastestMethod();
  if (method == Crc16Method::WideFold && count >= 512) return WideFoldCrc16(bytes, count, crc);
  if (method != Crc16Method::Table && count >= 32) return FoldCrc16(bytes, count, crc);
  return TableCrc16(bytes, count, crc);
}

uint16_t UpdateCrc16(const void* data, uint32_t count, uint16_t crc) {
  return UpdateCrc16Using(Crc16FastestMethod(), data, count, crc);
}

uint16_t ComputeCrc16(const void* data, uint32_t count) { return UpdateCrc16(data, count, 0); }
