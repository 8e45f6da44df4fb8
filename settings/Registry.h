#pragma once
// The registry operations of the installer. Each opens its key, does its work and closes it.
#include "../platform/framework/CString.h"

// True only when the value exists as a plain string (REG_SZ) and was read into text; after false
// the text is not to be used. A null name is the key's default value.
bool RegReadString(HKEY root, LPCSTR path, LPCSTR name, CString& text);
// Stores data as a value of the given type, creating the key chain as needed.
bool RegWriteValue(HKEY root, LPCSTR path, LPCSTR name, DWORD type, const BYTE* data, DWORD count);
// Stores text as REG_SZ, its terminating zero included.
bool RegWriteString(HKEY root, LPCSTR path, LPCSTR name, const CString& text);
