// Resource ids of the stub's steps after the installation: the uninstaller,
// its Uninstall entry and the programs started at the end. Shared by
// strings_postinst.rc and the code.
#pragma once

#define IDS_WEB_BROWSER_FAILED 2
#define IDS_UNINSTALL_REGISTER_FAILED 5
#define IDS_EXECUTE_FAILED 10
