// The main dialog: the update list and the news list on two tabs, the
// browser pane showing the selected row's HTML, and the Update and Options
// buttons.
#pragma once
#include <windows.h>

#include <string>

#include "UpdateItem.h"

// Creates the modeless main dialog owned by owner; null when it cannot be
// made (including when its browser pane cannot be set up).
HWND CreateMainDialog(HWND owner, bool shownAutomatically);

// The update list's text for one item.
std::wstring UpdateRowText(const UpdateItem& item, bool checkFailed);
// The news list's text for one item: "[yyyy/mm/dd] title".
std::wstring NewsRowText(const NewsItem& item);
// The HTML shown for an update row.
std::wstring UpdateDescriptionHtml(const UpdateItem& item);
// The tab shown first (0 updates, 1 news).
int FirstTab(bool shownAutomatically);
