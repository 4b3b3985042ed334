#include "SfxSettings.h"

#include <cstddef>
#include <cstring>
#include <iterator>

#include "BuilderState.h"
#include "SfxSettingsMembers.h"

namespace {

// Where a member of CSfxSettings lies.
struct MemberPlace {
  size_t offset;
  size_t size;
  size_t align;
};

// The record is not of standard layout (its strings and vectors), but it
// has no virtual functions or bases: offsetof is exact for it here.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
#define SFX_MEMBER_PLACE(name)                                          \
  MemberPlace{offsetof(CSfxSettings, name), sizeof(CSfxSettings::name), \
              alignof(decltype(CSfxSettings::name))},
constexpr MemberPlace kMemberPlaces[] = {
    SFX_SETTINGS_PLAIN_MEMBERS(SFX_MEMBER_PLACE)
    SFX_MEMBER_PLACE(UninstallReg) SFX_MEMBER_PLACE(RegComSvr) SFX_MEMBER_PLACE(ExtraCopy)
    SFX_MEMBER_PLACE(IconType)};
#undef SFX_MEMBER_PLACE
#pragma GCC diagnostic pop

constexpr size_t AlignUp(size_t value, size_t align) { return (value + align - 1) / align * align; }

// Taken in the order of their offsets, the listed members fill the record:
// the first starts at 0, each next one where the one before ends (after
// what its own alignment needs), and the last ends where the record does
// (but for its closing alignment). A member left out of the list, and so
// neither copied nor cleared, leaves a gap.
constexpr bool ListedMembersFillTheRecord() {
  constexpr size_t count = std::size(kMemberPlaces);
  MemberPlace sorted[count] = {};
  for (size_t i = 0; i < count; ++i) {
    size_t j = i;
    for (; j > 0 && sorted[j - 1].offset > kMemberPlaces[i].offset; --j) sorted[j] = sorted[j - 1];
    sorted[j] = kMemberPlaces[i];
  }
  size_t end = 0;
  for (const MemberPlace& place : sorted) {
    if (place.offset != AlignUp(end, place.align)) return false;
    end = place.offset + place.size;
  }
  return AlignUp(end, alignof(CSfxSettings)) == sizeof(CSfxSettings);
}

static_assert(ListedMembersFillTheRecord(),
              "a member of CSfxSettings is missing from SFX_SETTINGS_PLAIN_MEMBERS (or is "
              "listed twice)");

}  // namespace

const wchar_t kDefaultVesmarinFor[] = L"Self Extractable Archive by Vesmarin 6";

CSfxSettings::CSfxSettings() { Clear(); }

CSfxSettings::~CSfxSettings() {}

CSfxSettings::CSfxSettings(const CSfxSettings& other) {
  Clear();
  *this = other;
}

CSfxSettings& CSfxSettings::operator=(const CSfxSettings& other) {
  if (this == &other) return *this;
#define SFX_COPY_MEMBER(name) std::memcpy(&name, &other.name, sizeof name);
  SFX_SETTINGS_PLAIN_MEMBERS(SFX_COPY_MEMBER)
#undef SFX_COPY_MEMBER
  for (int i = 0; i < kMaxUninstallRegs; ++i) UninstallReg[i] = other.UninstallReg[i];
  RegComSvr = other.RegComSvr;
  ExtraCopy = other.ExtraCopy;
  IconType = other.IconType;
  return *this;
}

void CSfxSettings::Clear() {
#define SFX_ZERO_MEMBER(name) std::memset(&name, 0, sizeof name);
  SFX_SETTINGS_PLAIN_MEMBERS(SFX_ZERO_MEMBER)
#undef SFX_ZERO_MEMBER
  for (int i = 0; i < kMaxUninstallRegs; ++i) UninstallReg[i].clear();
  RegComSvr.clear();
  ExtraCopy.clear();
  IconType.clear();
}

void DeleteSfxSettings(CSfxSettings* settings) { delete settings; }
