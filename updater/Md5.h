// The MD5 message digest (RFC 1321), fed chunk by chunk.
#pragma once
#include <cstddef>
#include <cstdint>

struct Md5Context {
  uint32_t BitCountLow;
  uint32_t BitCountHigh;
  uint32_t State[4];
  uint8_t Block[64];
};

// A new context ready for input; null when memory is short.
Md5Context* Md5Create();
void Md5Update(Md5Context* context, const void* data, size_t length);
// Writes 32 lower-case hex digits and a terminator (33 characters) and frees
// the context.
void Md5FinishHex(Md5Context* context, wchar_t* text);

void Md5Init(Md5Context* context);
void Md5Append(Md5Context* context, const uint8_t* data, size_t length);
void Md5Final(Md5Context* context, uint8_t digest[16]);
void Md5Transform(uint32_t state[4], const uint8_t block[64]);
