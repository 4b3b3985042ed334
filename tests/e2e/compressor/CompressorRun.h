// Running Sardok.exe from the tests, and reading what it wrote.
#pragma once
#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "DialogDriver.h"
#include "TestSupport.h"

namespace compressortest {

std::wstring SardokPath();
std::wstring Quote(const std::wstring& text);

// Runs Sardok with the arguments in folder; the full exit code, or
// 0xEEEEEEEE when it did not start or did not end in time.
DWORD RunSardok(const std::wstring& arguments, const std::wstring& folder = L"");

// Runs Sardok like RunSardok and collects what it writes to its standard
// error handle (UTF-8) into errorText.
DWORD RunSardokReadingErrors(const std::wstring& arguments, std::wstring& errorText,
                             const std::wstring& folder = L"");

// Every member name of a cabinet in the cabinet's order, repeats included.
std::vector<std::wstring> CabinetNameList(const std::wstring& path);
// The member names of a cabinet as a set (a folder scan's order follows
// the file system); empty when it cannot be opened.
std::set<std::wstring> CabinetNames(const std::wstring& path);
// A member's bytes; empty when missing.
std::string CabinetMember(const std::wstring& path, const std::wstring& name);
// The cabinet header's flag word, 0xFFFF when unreadable.
unsigned HeaderFlags(const std::wstring& path);

// Creates a file (and its folders) with the given bytes.
std::wstring MakeFile(const std::wstring& path, const std::string& bytes = "x");
// A file of size bytes that compress poorly.
std::wstring MakeBigFile(const std::wstring& path, size_t size);
std::string ReadAll(const std::wstring& path);

// A string of Sardok's own table in this test's interface language, with
// its "%s" filled when text is given.
std::wstring SardokText(UINT id, const std::wstring& text = L"");

// Top-level windows of a process with a class name.
std::vector<HWND> WindowsOf(DWORD process, const wchar_t* className);

}  // namespace compressortest
