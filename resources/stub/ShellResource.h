// Resource ids of the stub's shortcut and COM-registration steps, shared by
// dialogs_shell.rc and the code. The registration window reuses the
// "Checking files..." templates (TessalyResource.h).
#pragma once

#define IDS_SHORTCUTS_FAILED 4
#define IDS_REGISTER_SERVER_FAILED 40
#define IDS_REGISTERING_COMPONENTS 56
