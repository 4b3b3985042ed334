// What makes the stored information file trustworthy to the elevated
// uninstaller: the installer recorded the file's SHA-256 digest in the
// product's Uninstall entry, and that entry's command is this uninstaller.
// Only an entry that no one but administrators can change vouches for the
// file; without one the worker stays inside the installation (confined).
#pragma once
#include <windows.h>

#include <string>

// True when command (an UninstallString) starts this program: its first
// token, quoted or not, names the same existing file as program.
bool UninstallCommandStarts(const wchar_t* command, const wchar_t* program);

// How far the product's Uninstall entry vouches for the information file.
enum class EntryTrust {
  kRefused,    // the entry names another program, or records another digest
  kProtected,  // below HKEY_LOCAL_MACHINE, the digest matches, and only
               // administrators and the system may change the key
  kMachine,    // below HKEY_LOCAL_MACHINE, but without a digest, or in a key
               // others may change
  kUser,       // below HKEY_CURRENT_USER: a per-user installation
  kNone,       // no entry of that name
};

// Judges the information file whose bytes as stored have the hexadecimal
// digest, naming the Uninstall entry uninstallKey, for the uninstaller at
// selfPath. The machine's entry is looked for first, then the user's.
EntryTrust JudgeInfoFile(const wchar_t* digest, const wchar_t* uninstallKey,
                         const wchar_t* selfPath);

// True when the key's owner is Administrators, SYSTEM or TrustedInstaller
// and its DACL lets no other account change it (set values, create or
// delete keys, change its security or owner).
bool IsKeyProtected(HKEY key);

// The word the launcher hands the worker for a judgement, and back. An
// unknown word reads as kNone: the worker never trusts more than it is told.
const wchar_t* EntryTrustWord(EntryTrust trust);
EntryTrust ParseEntryTrust(const std::wstring& word);
