// Installing the update selected in the main dialog: confirm, check the
// host, download into a new folder of the current user's (below the
// DownloadPath folder in the local application data) with its MD5 digest
// and a progress dialog, check the signature, and start the program.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

// Runs the whole installation for the selected row of the update list. On
// success the update program runs and the main dialog is destroyed; every
// failure says why and leaves the dialog open, and nothing this download
// made stays on disk. What a path names once a folder on its way was moved
// away or replaced by a link is neither started nor deleted: each folder
// and the file go only while their path still leads to the very item made
// inside the download area (DownloadPlace).
void InstallSelectedUpdate(HWND dialog);

// The percentage of total that position is, computed in 64 bits; 0 when
// total is 0, at most 100.
unsigned ProgressPercent(uint64_t position, uint64_t total);

// The signer an update must carry to be started (build settings): the
// certificate's display name, and the SHA-256 digest (64 hexadecimal
// digits) of its SubjectPublicKeyInfo.
extern const wchar_t kUpdateSignerName[];
extern const wchar_t kUpdateSignerKey[];

// Checks the Authenticode signature of the open file (path names it).
// False when the check is not available on this system (wintrust.dll or
// crypt32.dll missing); otherwise true, with *valid set when the signature
// holds and its signer's certificate is named signerName and holds the
// public key whose digest is signerKey.
bool VerifyUpdateSignature(HWND owner, const wchar_t* path, HANDLE file,
                           const wchar_t* signerName, const wchar_t* signerKey, bool* valid);
