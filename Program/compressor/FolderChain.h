// The rule that both scans of the compressor (the folder mode's and the
// archive tree's) apply to each entry they meet on disk. Links are followed:
// a symbolic link or junction to a folder is walked like the folder, a link
// to a file packs the target's bytes. The chain holds the folders being
// walked, from the first one down, by what they are on disk (volume and
// file index, whatever name led there), so that a link back to one of them
// ends the walk there instead of going round: the folder is walked once, on
// the chain. A link whose target cannot be opened (dangling, or refused),
// and anything that is no file or folder (a pipe, a socket, a device), is
// for the scan to report like any other entry it cannot add; only an entry
// that is gone since its folder was listed is left out without a word.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

class FolderChain {
 public:
  enum Step {
    kFile,         // pack it
    kFolder,       // walk it: it is on the chain until Leave
    kOnChain,      // a folder being walked already: nothing more to do
    kUnreachable,  // a link whose target cannot be opened, a folder that
                   // cannot be, or no file at all: report it
    kGone,         // no longer there: nothing to pack, nothing to report
  };

  // What the walk does with path; attributes are those its folder's
  // listing gave (or GetFileAttributesW's), listedEmpty whether that
  // listing gave it no bytes.
  Step Meet(const std::wstring& path, DWORD attributes, bool listedEmpty);
  // Takes the folder that the last kFolder put on the chain off it again.
  void Leave();

  // Leaves at the end of a scope that walks a folder Meet put on the chain.
  class Walking {
   public:
    explicit Walking(FolderChain& chain) : chain_(chain) {}
    ~Walking() { chain_.Leave(); }
    Walking(const Walking&) = delete;
    Walking& operator=(const Walking&) = delete;

   private:
    FolderChain& chain_;
  };

 private:
  struct Identity {
    DWORD volume;
    DWORD indexHigh;
    DWORD indexLow;
  };
  std::vector<Identity> chain_;
};
