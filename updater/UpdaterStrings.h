// String-table texts of the updater.
#pragma once
#include <windows.h>

#include <string>

// The text of a string-table entry of this program (at most 1023
// characters); empty when there is none.
std::wstring LoadStringResource(UINT id);
