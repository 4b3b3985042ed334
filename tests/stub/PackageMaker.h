// Output programs assembled by the tests themselves (independently of the
// builder), so that every header field can be set to what no builder writes.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "SfxContainer.h"

namespace stubtest {

// A cabinet (through the cabinet library) holding the given (name, content)
// members.
std::vector<uint8_t> MakeCabinet(const std::vector<std::pair<std::wstring, std::string>>& members);

struct Package {
  std::vector<uint8_t> image = std::vector<uint8_t>(8192, 0x90);  // the stub image
  SfxContainerHeader header = {};                                // flags, words, switch
  std::vector<uint8_t> block = {0, 0};                           // settings block
  std::vector<uint8_t> uninstCab;                                // as stored
  std::vector<uint8_t> archive;
};

// Stub image + header + block + uninstaller cabinet + archive with the
// magic, sizes, offsets and CRC filled in as the builder does.
std::vector<uint8_t> Assemble(Package package);

// Recomputes the CRC of a file whose header is at h (after tampering with a
// header field on purpose).
void FixCrc(std::vector<uint8_t>& file, size_t h);

// A little settings block: tag, strings; 'p' takes its number first.
class Block {
 public:
  Block& Tag(wchar_t tag) { return U16(tag); }
  Block& U16(uint16_t v);
  Block& Text(const std::wstring& text);
  std::vector<uint8_t> End();

 private:
  std::vector<uint8_t> bytes_;
};

}  // namespace stubtest
