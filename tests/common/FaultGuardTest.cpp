#include "FaultGuard.h"
#include <gtest/gtest.h>
#include <cstdint>
#include <string>

namespace {

volatile uintptr_t g_badAddress = 16;
void WriteNull(void*) { *reinterpret_cast<volatile int*>(g_badAddress) = 1; }
void Store(void* c) { *static_cast<int*>(c) = 5; }
void RaiseForeign(void*) { RaiseException(0xE06D7363, 0, 0, nullptr); }
void HandledInside(void* c) {
  // A fault that the guarded code catches itself never reaches the guard.
  DWORD inner = 0;
  *static_cast<bool*>(c) = vesmarin::RunGuarded(WriteNull, nullptr, &inner) ||
                           inner != EXCEPTION_ACCESS_VIOLATION;
}

}  // namespace

TEST(FaultGuard, ReportsFaultsAndKeepsRunning) {
  DWORD code = 0;
  EXPECT_FALSE(vesmarin::RunGuarded(WriteNull, nullptr, &code));
  EXPECT_EQ(code, static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
  code = 0;
  EXPECT_FALSE(vesmarin::RunGuarded(RaiseForeign, nullptr, &code));
  EXPECT_EQ(code, 0xE06D7363u);
  // Many faults in a row leave the stack and the guard chain intact.
  for (int i = 0; i < 200; ++i) ASSERT_FALSE(vesmarin::RunGuarded(WriteNull, nullptr));
  int value = 0;
  EXPECT_TRUE(vesmarin::RunGuarded(Store, &value));
  EXPECT_EQ(value, 5);
}

TEST(FaultGuard, NestedGuardsUnwindToTheInnermost) {
  bool innerFailed = true;
  EXPECT_TRUE(vesmarin::RunGuarded(HandledInside, &innerFailed));
  EXPECT_FALSE(innerFailed);
}

TEST(FaultGuard, GuardedCopyRefusesUnreadableMemory) {
  char buffer[4] = {};
  EXPECT_FALSE(vesmarin::GuardedCopy(buffer, reinterpret_cast<void*>(16), sizeof buffer));
  const char text[4] = {'a', 'b', 'c', 'd'};
  ASSERT_TRUE(vesmarin::GuardedCopy(buffer, text, sizeof buffer));
  EXPECT_EQ(std::string(buffer, 4), "abcd");
}
