// The XML settings file beside the updater: where to look and what to say.
#pragma once
#include <windows.h>

#include <string>

#include "ZqXml.h"

enum SettingsError {
  kSettingsOk = 0,
  kSettingsNoDocument = 1,
  kSettingsUnreadable = 2,
  kSettingsBadDownloadPath = 3,  // missing, empty, not a plain relative folder path, or too long
  kSettingsNoRegKey = 4,
  kSettingsNoRssUrl = 5,
  kSettingsNoNoUpdateMessage = 6,
  kSettingsNoCheckFailMessage = 7,
  kSettingsNoNoUpdateDescription = 8,
  kSettingsNoCheckFailDescription = 9,
};

// The updater's folder with a trailing backslash; false when it does not fit
// in 260 characters.
bool GetUpdaterFolder(wchar_t (&folder)[MAX_PATH]);
// Nemdrift.<language>.xml beside the updater when it exists, else
// Nemdrift.xml; false when the path would not fit in 260 characters.
bool BuildSettingsPath(wchar_t (&path)[MAX_PATH]);

// Creates a document and loads the settings file at path: 0, or 1 when
// the document cannot be created and 2 when the file cannot be loaded (a
// null path included).
int OpenSettingsDocument(zq_xml::KXMLDocument& document, const wchar_t* path);

// Reads the settings file beside the updater into the updater's state; a
// SettingsError code.
int LoadUpdaterSettings();
// The same for the settings file at path.
int LoadUpdaterSettingsFrom(const wchar_t* path);

// A decimal 32-bit integer with an optional sign; anything else gives 0.
int ParseIntegrateMode(const std::wstring& text);
