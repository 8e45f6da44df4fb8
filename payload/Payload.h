#pragma once
// The embedded program: found in the executable's resources, written to a temporary file and
// expanded by LZ32 into the target path.
#include "../platform/framework/CString.h"

enum ExpandResult {
    Ok = 0,
    TargetFailed = 1,   // the target could not be created or written; the user may retry
    SourceFailed = -1,  // the payload could not be read out or prepared; the target is untouched
};

// On failure the error text holds a one-line reason; on success it is left as it was.
ExpandResult ExtractPayload(LPCSTR name, LPCSTR type, const CString& target, CString& error);
ExpandResult WritePayloadToTemp(const void* data, DWORD size, const CString& target,
                                CString& error);
// The path of a new temporary file: the temporary directory, the prefix, the thread id and a
// per-process counter, in hexadecimal. Nothing is created.
CString MakeTempFileName(LPCSTR prefix);
ExpandResult ExpandToTarget(const CString& source, const CString& target, CString& error);
