#include "PathRules.h"

bool PathExists(LPCSTR path) {
    return ::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

int SeparatorPosition(LPCSTR path) {
    int position = -1;
    for (LPCSTR p = path; *p != '\0'; p = ::CharNextA(p)) {
        if (*p == '\\' || *p == '/') {
            position = static_cast<int>(p - path);
        }
    }
    return position;
}

CString ParentPath(const CString& path) {
    int position = SeparatorPosition(path);
    return position >= 1 ? path.Left(position) : CString();
}
