// The link between the check list of Windows versions (page "Process
// before startup") and the settings' BootableOS mask. The page adds one
// item per OS bit and records here which item stands for which bit; the
// settings exchange then reads and shows the mask through the list.
#pragma once
#include <windows.h>

// Forgets every recorded bit (before the page fills a new list).
void ClearOsBitItems();
// Records that the list item index stands for the bit.
void MapOsBitToItem(int bit, int index);
// The item recorded for the bit, or -1.
int OsBitItem(int bit);

// Adds the bit to g_SfxSettings.BootableOS when its item is checked; never
// removes it. A bit without an item changes nothing.
void ReadOsBitFromList(HWND checkList, int bit);
// Checks the bit's item exactly when g_SfxSettings.BootableOS holds the
// bit. A bit without an item changes nothing.
void ShowOsBitInList(HWND checkList, int bit);

// The whole mask: every bit with an item is read from (or shown in) the
// list in the exchange's order; bits without an item are kept as they are.
void ReadOsBitsFromList(HWND checkList);
void ShowOsBitsInList(HWND checkList);
