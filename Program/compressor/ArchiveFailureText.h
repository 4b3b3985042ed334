// The message that says why an archive was not written: the file or the
// target that failed and the cabinet library's and the system's error.
#pragma once
#include <string>

#include "ArchiveWriter.h"

std::wstring ArchiveFailureText(const ArchiveWriteFailure& failure);
