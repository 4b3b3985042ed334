// The compressor's process-wide state, one instance for the whole run.
#pragma once
#include <windows.h>

// Exit codes of the batch and unattended modes.
enum CompressorCode : int {
  kCodeSuccess = 0,
  kCodeNoProject = 101,
  kCodeNoXmlDocument = 102,
  kCodeProjectNotLoaded = 103,
  kCodeNoFiles = 104,
  kCodeRootHasNoChild = 105,
  kCodeCancelled = 203,
  kCodeCreateFailed = 204,
  kCodeFolderMissing = 301,
  kCodeBatchFailed = 302,
};

struct CompressorState {
  HINSTANCE instance;
  HWND mainWindow;
  HWND callerWindow;    // the builder's window from "/hwnd:", or null
  HWND progressDialog;  // the open progress dialog, or null
  bool silent;
  volatile bool abort;  // set by the progress dialog's Cancel
  bool treeModified;
  int resultCode;       // a CompressorCode: the exit code of the batch and unattended modes
  // The last archive CreateArchiveCommand wrote, handed to the caller
  // window at the end; at least 260 characters, as the caller reads them.
  wchar_t createdArchivePath[MAX_PATH];
};

CompressorState& Compressor();
