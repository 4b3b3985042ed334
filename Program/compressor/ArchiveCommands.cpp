#include "ArchiveCommands.h"

#include <shlwapi.h>

#include "ArchiveFailureText.h"
#include "ArchiveNames.h"
#include "ArchiveTarget.h"
#include "ArchiveTree.h"
#include "ArchiveWriter.h"
#include "CompressorState.h"
#include "CompressorText.h"
#include "FileDialogs.h"
#include "ProgressDialog.h"
#include "ProjectFile.h"
#include "SardokResource.h"

namespace {

HWND Tree() { return FindArchiveTree(Compressor().mainWindow); }

BOOL TreeProgressCallback(const wchar_t* source, ULONGLONG, ULONGLONG, void*) {
  PumpProgressMessages();
  SetProgressText(PathFindFileNameW(source));
  return !Compressor().abort;
}

}  // namespace

bool OpenProjectCommand(HWND owner, const wchar_t* path) {
  CompressorState& state = Compressor();
  HWND tree = Tree();
  IXMLDOMDocument* document = CreateProjectDocument();
  if (!document) {
    state.resultCode = kCodeNoXmlDocument;
    return false;
  }
  const int loaded = tree ? LoadProjectDocument(document, path) : kCodeProjectNotLoaded;
  if (loaded != 0) {
    document->Release();
    state.resultCode = kCodeProjectNotLoaded;
    return false;
  }
  if (!state.silent) {
    if (!OpenProgressDialog(owner)) {
      document->Release();
      state.resultCode = kCodeProjectNotLoaded;
      return false;
    }
    SetProgressText(LoadText(IDS_CREATING_TREE).c_str());
  }
  ReadProjectIntoTree(tree, document);
  document->Release();
  CloseProgressDialog(owner);
  return true;
}

bool LoadProjectCommand(HWND owner) {
  wchar_t path[MAX_PATH] = L"*.qxc";
  if (!ChooseProjectFile(owner, false, path)) return false;
  return OpenProjectCommand(owner, path);
}

bool SaveProjectCommand(HWND owner) {
  HWND tree = Tree();
  if (!tree || TreeView_GetCount(tree) <= 1) {
    ShowCompressorMessage(owner, IDS_NO_FILES, MB_OK | MB_ICONWARNING);
    return false;
  }
  wchar_t path[MAX_PATH] = L"untitled";
  if (!ChooseProjectFile(owner, true, path)) return false;
  if (!TreeView_GetChild(tree, GetArchiveRoot(tree))) return false;
  return WriteProjectFile(tree, path);
}

bool CreateArchiveCommand(HWND owner, const wchar_t* path) {
  CompressorState& state = Compressor();
  HWND tree = Tree();
  if (!tree || TreeView_GetCount(tree) <= 1) {
    if (!state.silent) ShowCompressorMessage(owner, IDS_NO_FILES, MB_OK | MB_ICONWARNING);
    state.resultCode = kCodeNoFiles;
    return false;
  }
  wchar_t target[MAX_PATH] = L"untitled";
  if (path) {
    if (wcslen(path) >= MAX_PATH) {
      state.resultCode = kCodeCreateFailed;
      return false;
    }
    wcscpy(target, path);
  } else if (!ChooseArchiveFile(owner, target)) {
    return false;
  }
  HTREEITEM first = TreeView_GetChild(tree, GetArchiveRoot(tree));
  if (!first) {
    state.resultCode = kCodeRootHasNoChild;
    return false;
  }
  std::vector<std::wstring> sources;
  std::vector<std::wstring> names;
  CollectArchiveEntries(tree, first, sources, names);
  // An older archive at the target that was added to the tree is not packed
  // into its successor.
  const ArchiveTarget archive(target);
  ArchiveEntryList entries;
  for (size_t i = 0; i < sources.size(); ++i)
    if (!archive.Is(sources[i])) entries.Add(sources[i], names[i]);

  HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  if (!state.silent) {
    if (!OpenProgressDialog(owner)) {
      SetCursor(previous);
      state.resultCode = kCodeCreateFailed;
      return false;
    }
    SetProgressFirstLine(IDS_CREATING_ARCHIVE);
    if (owner) EnableWindow(owner, FALSE);
  }
  state.abort = false;
  ArchiveWriteFailure failure;
  const bool written = WriteArchive(entries, target, TreeProgressCallback, nullptr, &failure);
  CloseProgressDialog(owner);
  SetCursor(previous);
  if (written) {
    lstrcpynW(state.createdArchivePath, target, MAX_PATH);
    state.treeModified = false;
    return true;
  }
  if (state.abort) {
    if (!state.silent) ShowCompressorMessage(owner, IDS_ABORTED, MB_OK | MB_ICONWARNING);
    state.resultCode = kCodeCancelled;
  } else {
    if (!state.silent)
      MessageBoxW(owner, ArchiveFailureText(failure).c_str(), LoadText(IDS_CAPTION).c_str(),
                  MB_OK | MB_ICONERROR);
    state.resultCode = kCodeCreateFailed;
  }
  return false;
}
