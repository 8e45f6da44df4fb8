#pragma once
// The two rules the installer applies to directory texts. Both separators count alike, and the
// separator search steps over the double-byte characters of the ANSI code page.
#include "../platform/framework/CString.h"

// True when the platform reports attributes for the text: a directory, a file, a drive root or a
// bare drive designator (that drive's current directory).
bool PathExists(LPCSTR path);
// The byte offset of the last separator, or -1 when there is none.
int SeparatorPosition(LPCSTR path);
// Everything before the last separator; empty when there is none or it is the first character.
CString ParentPath(const CString& path);
