// Where an update is downloaded: the DownloadPath setting names a folder
// below the user's local application data (the download area), and
// whatever links lie on the way there, nothing is made, written or started
// outside that area.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// True for a name the server may give the update file, and for each part of
// the DownloadPath setting: a bare name (no slash, backslash or colon, not
// "." or "..", no characters Windows refuses in names, no trailing dot or
// space, no device name such as CON or LPT1).
bool IsBareFileName(const std::wstring& name);

// True for a relative folder path of bare names joined by single
// backslashes ("Kelvadon\Updates"): no drive, root, share or "\\?\" prefix,
// no "." or ".." part, no stream or device name.
bool IsPlainRelativePath(const std::wstring& path);

// True when the file or folder open as handle lies in the folder area, or
// is that folder, with every link on both ways resolved.
bool LiesInside(HANDLE handle, const std::wstring& area);
// The same for the file or folder at path; false when it cannot be opened.
bool PathLiesInside(const std::wstring& path, const std::wstring& area);

// The download area: the user's local application data folder, made when
// create is set and it is missing; empty when the system names none.
std::wstring DownloadArea(bool create);

// Characters that one download adds below the DownloadPath folder at
// least: a backslash and its own folder ("update-" and ten hexadecimal
// digits), a backslash and a file name of one character.
const size_t kDownloadFolderReserve = 1 + 17 + 1 + 1;

// True when area\relative can still hold the folder of one download and a
// file in it within 259 characters, and no part of relative is longer than
// a name can be (255). An empty area counts as the shortest one, "C:".
bool DownloadPathFits(const std::wstring& area, const std::wstring& relative);

// The file index and volume of an open file or folder: what it is, whatever
// path leads to it.
struct ItemIdentity {
  DWORD volume = 0;
  DWORD indexHigh = 0;
  DWORD indexLow = 0;
};
bool IdentityOf(HANDLE handle, ItemIdentity* identity);

// What one download makes below the download area, in order: the folders
// of the DownloadPath setting that were not there yet, a folder of its own
// and the update file. An early end takes back exactly these: each is
// deleted only when its path, opened again without following a link, still
// leads to the very item made and lies inside the area; whatever the path
// leads to instead is left alone.
class DownloadPlace {
 public:
  explicit DownloadPlace(const std::wstring& area) : area_(area) {}
  DownloadPlace(const DownloadPlace&) = delete;
  DownloadPlace& operator=(const DownloadPlace&) = delete;

  // Makes area\relative (a plain relative path) one folder at a time, each
  // found to lie inside the area before anything is made in it, then a new
  // folder of this download in it. False when a part lies outside the area,
  // is no folder or cannot be made, or the path does not fit in 260
  // characters.
  bool MakeFolders(const std::wstring& relative);
  // Creates name in this download's folder for writing (and deleting),
  // shared with nobody; INVALID_HANDLE_VALUE when it cannot be made inside
  // the area or its path does not fit in 260 characters.
  HANDLE CreateUpdateFile(const std::wstring& name);
  // Deletes what was made, newest first.
  void RemoveAll();

  const std::wstring& area() const { return area_; }
  // The folder of the DownloadPath setting, this download's folder and the
  // update file; empty until made.
  const std::wstring& parent() const { return parent_; }
  const std::wstring& folder() const { return folder_; }
  const std::wstring& file() const { return file_; }

 private:
  struct Made {
    std::wstring path;
    ItemIdentity identity;
  };
  // Records the item just made at path; false when it cannot be opened.
  bool Record(const std::wstring& path);
  bool MakeOwnFolder();

  std::wstring area_;
  std::wstring parent_;
  std::wstring folder_;
  std::wstring file_;
  std::vector<Made> made_;
};
