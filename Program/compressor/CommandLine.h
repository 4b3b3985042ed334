// The compressor's command line, taken from the argument vector as the
// runtime split it.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

struct CommandLineOptions {
  HWND callerWindow = nullptr;            // "/hwnd:" naming an existing window
  std::wstring archiveOption;             // "/arc:"
  std::vector<std::wstring> files;        // every non-empty "/file:"
  std::vector<std::wstring> exclusions;   // every non-empty "/except:"
  std::wstring sourceFolder;              // an existing folder, full path
  std::wstring projectPath;               // "*.qxc"
  std::wstring archiveArgument;           // "*.cab"
  bool compress = false;                  // "/compress"
  bool silent = false;                    // "/silent"
};

enum class CompressorMode { FileList, Interactive, Unattended, Folder };

// Reads every argument after argument 0 (the program path).
CommandLineOptions ParseCommandLine(int argc, const wchar_t* const* argv);
CompressorMode DecideMode(const CommandLineOptions& options);
