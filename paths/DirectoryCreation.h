#pragma once
// Makes the target directory exist, creating the missing chain after one confirmation.
#include "../platform/framework/CString.h"

// True when the directory exists afterwards; false when the user declined or a creation failed
// (the user has been told). Every directory created is journalled.
bool EnsureDirectory(CString directory);
// One level of the chain; `pendingConfirmation` is shared by every level of one call.
bool EnsureDirectoryChain(const CString& directory, int& pendingConfirmation);
