// The folding CRC of the container check against the shared byte-table CRC.
#include <gtest/gtest.h>

#include <vector>

#include "Crc16.h"
#include "FastCrc16.h"

namespace {

std::vector<uint8_t> Noise(size_t size) {
  std::vector<uint8_t> bytes(size);
  uint32_t s = 12345;
  for (uint8_t& b : bytes) {
    s = s * 1103515245u + 12345u;
    b = static_cast<uint8_t>(s >> 16);
  }
  return bytes;
}

TEST(FastCrc16, SameValuesAsTheTableForEveryLengthAlignmentAndStart) {
  RecordProperty("folding", stub::FastCrc16Available() ? "yes" : "no");
  const std::vector<uint8_t> data = Noise(3000);
  for (size_t offset = 0; offset < 16; offset += 5) {
    for (size_t length = 0; length + offset <= 1200; ++length) {
      for (uint16_t start : {uint16_t(0), uint16_t(0x1234), uint16_t(0xFFFF)}) {
        ASSERT_EQ(stub::FastUpdateCrc16(data.data() + offset, length, start),
                  UpdateCrc16(data.data() + offset, static_cast<uint32_t>(length), start))
            << "offset " << offset << " length " << length << " start " << start;
      }
    }
  }
  EXPECT_EQ(stub::FastUpdateCrc16("123456789", 9, 0), 0xBB3D);
  const std::vector<uint8_t> zeros(4096, 0);
  EXPECT_EQ(stub::FastUpdateCrc16(zeros.data(), zeros.size(), 0), 0);
}

TEST(FastCrc16, LargeBufferInChunksContinuesLikeOneRun) {
  const std::vector<uint8_t> data = Noise(5 * 1024 * 1024 + 77);
  const uint16_t whole = UpdateCrc16(data.data(), static_cast<uint32_t>(data.size()), 0);
  EXPECT_EQ(stub::FastUpdateCrc16(data.data(), data.size(), 0), whole);
  uint16_t crc = 0;
  size_t done = 0;
  for (size_t chunk : {size_t(1), size_t(4095), size_t(65536), size_t(1000003)}) {
    crc = stub::FastUpdateCrc16(data.data() + done, chunk, crc);
    done += chunk;
  }
  crc = stub::FastUpdateCrc16(data.data() + done, data.size() - done, crc);
  EXPECT_EQ(crc, whole);
}

}  // namespace
