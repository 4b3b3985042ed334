#include "OsCheckList.h"

#include <map>

#include "BuilderState.h"
#include "CheckListBox.h"

namespace {

std::map<int, int> g_bitItems;

// The order in which the exchange visits the OS bits.
const int kVisitOrder[] = {0x20,   0x80,   0x200,  0x800,   0x2000,     0x40,
                           0x100,  0x1000, 0x400,  0x4000,  0x8000,     0x1,
                           0x2,    0x4,    0x10000, 0x20000, 0x10000000, 0x20000000};

}  // namespace

void ClearOsBitItems() { g_bitItems.clear(); }

void MapOsBitToItem(int bit, int index) { g_bitItems[bit] = index; }

int OsBitItem(int bit) {
  auto found = g_bitItems.find(bit);
  return found == g_bitItems.end() ? -1 : found->second;
}

void ReadOsBitFromList(HWND checkList, int bit) {
  const int item = OsBitItem(bit);
  if (item < 0) return;
  if (CheckListGetCheck(checkList, item)) g_SfxSettings.BootableOS |= bit;
}

void ShowOsBitInList(HWND checkList, int bit) {
  const int item = OsBitItem(bit);
  if (item < 0) return;
  CheckListSetCheck(checkList, item, (g_SfxSettings.BootableOS & bit) ? 1 : 0);
}

void ReadOsBitsFromList(HWND checkList) {
  if (!checkList || !IsWindow(checkList)) return;
  // Bits that no item stands for are not kept.
  g_SfxSettings.BootableOS = 0;
  for (int bit : kVisitOrder) ReadOsBitFromList(checkList, bit);
}

void ShowOsBitsInList(HWND checkList) {
  for (int bit : kVisitOrder) ShowOsBitInList(checkList, bit);
}
