// Patterns that several pages of the "Detailed settings" sheet share:
// warnings, enabling groups of controls, edit limits and the language pairs.
#pragma once
#include <windows.h>

#include <initializer_list>

// A warning box (caption "Vesmarin 6") with the string.
void ShowPageWarning(HWND page, UINT stringId);

bool IsBoxChecked(HWND page, int controlId);
void CheckBox(HWND page, int controlId, bool checked);
void EnableControls(HWND page, std::initializer_list<int> controlIds, bool enabled);
void ShowControls(HWND page, std::initializer_list<int> controlIds, bool visible);
void LimitEdit(HWND page, int editId, int characters);
// Appends the strings to a drop-down list.
void FillDropDown(HWND page, int listId, std::initializer_list<UINT> stringIds);
// The selected index of a drop-down list, CB_ERR for none.
int DropDownIndex(HWND page, int listId);

// A language pair's list: "Japanese" and "English", index 0; hidden and
// never shown with an English user interface.
void InitLanguageList(HWND page, int listId);
