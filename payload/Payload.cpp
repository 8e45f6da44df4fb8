#include "Payload.h"

#include <cstring>

#include "../platform/framework/CWinApp.h"
#include "FileStream.h"
#include "LzHandle.h"

namespace {

int tempNameCounter = 0;

// The payload's bytes belong to the executable's image: nothing is unlocked or freed.
struct PayloadResource {
    HRSRC found = nullptr;
    HGLOBAL loaded = nullptr;
    const void* data = nullptr;
    DWORD size = 0;
};

INT OpenLz(const CString& path, WORD style, OFSTRUCT& info) {
    std::memset(&info, 0, sizeof info);
    info.cBytes = sizeof info;
    return ::LZOpenFileA(const_cast<LPSTR>(static_cast<LPCSTR>(path)), &info, style);
}

LPCSTR FileNamePart(LPCSTR path) {
    LPCSTR name = path;
    for (LPCSTR p = path; *p != '\0'; p = ::CharNextA(p)) {
        if (*p == '\\' || *p == '/') {
            name = p + 1;
        }
    }
    return name;
}

// LZ32 retries a failed open under the name with its last character replaced by '_', for the
// target too, and then fills another file than the one asked for. The file actually opened is
// named in the OFSTRUCT, normalised, so its file-name part is what tells.
bool OpenedAsAsked(const OFSTRUCT& info, const CString& path) {
    char opened[sizeof info.szPathName + 1] = {};
    std::memcpy(opened, info.szPathName, sizeof info.szPathName);
    if (opened[0] == '\0') {
        return true;  // no name reported: nothing tells of a substitute
    }
    LPCSTR a = FileNamePart(opened);
    LPCSTR b = FileNamePart(path);
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        char x = *a >= 'a' && *a <= 'z' ? static_cast<char>(*a - 'a' + 'A') : *a;
        char y = *b >= 'a' && *b <= 'z' ? static_cast<char>(*b - 'a' + 'A') : *b;
        if (x != y) {
            return false;
        }
    }
    return *a == *b;
}

}  // namespace

ExpandResult ExtractPayload(LPCSTR name, LPCSTR type, const CString& target, CString& error) {
    HMODULE module = AfxGetResourceHandle();
    PayloadResource resource;
    resource.found = ::FindResourceA(module, name, type);
    if (resource.found != nullptr) {
        resource.loaded = ::LoadResource(module, resource.found);
    }
    if (resource.loaded != nullptr) {
        resource.data = ::LockResource(resource.loaded);
    }
    if (resource.data != nullptr) {
        resource.size = ::SizeofResource(module, resource.found);
    }
    if (resource.size != 0) {
        return WritePayloadToTemp(resource.data, resource.size, target, error);
    }
    error = "Unable to extract resource";
    return SourceFailed;
}

ExpandResult WritePayloadToTemp(const void* data, DWORD size, const CString& target,
                                CString& error) {
    CString temporary = MakeTempFileName("TVN");
    FileStream stream(temporary, "wb");
    if (!stream.IsOpen()) {
        error = "Unable to create temporary file";
        return SourceFailed;
    }
    // A temporary file cut short (a full disk) would expand into a damaged program that the
    // installer then reports as installed: it counts as not created.
    bool written = stream.WriteItem(data, size) == 1;
    if (!stream.Close() || !written) {
        ::DeleteFileA(temporary);
        error = "Unable to create temporary file";
        return SourceFailed;
    }
    ExpandResult result = ExpandToTarget(temporary, target, error);
    ::DeleteFileA(temporary);
    return result;
}

CString MakeTempFileName(LPCSTR prefix) {
    char directory[MAX_PATH];
    DWORD length = ::GetTempPathA(MAX_PATH, directory);
    if (length == 0 || length >= MAX_PATH) {
        std::strcpy(directory, ".");
    }
    ++tempNameCounter;
    CString name;
    name.Format("%s%s%x%x", directory, prefix, static_cast<unsigned>(::GetCurrentThreadId()),
                static_cast<unsigned>(tempNameCounter));
    return name;
}

ExpandResult ExpandToTarget(const CString& source, const CString& target, CString& error) {
    OFSTRUCT info;
    LzHandle sourceHandle(OpenLz(source, OF_READ, info));
    if (!sourceHandle.IsOpen()) {
        error = "Unable to decompress source";
        return SourceFailed;
    }
    LzHandle targetHandle(OpenLz(target, OF_CREATE | OF_WRITE, info));
    bool failed = !targetHandle.IsOpen();
    if (!failed && !OpenedAsAsked(info, target)) {
        // Another file was created in the target's place: remove it, the target is unchanged.
        CString stray(info.szPathName);
        targetHandle.Release();
        ::DeleteFileA(stray);
        failed = true;
    }
    if (!failed && ::LZCopy(sourceHandle.Get(), targetHandle.Get()) < 0) {
        failed = true;
    }
    targetHandle.Release();
    sourceHandle.Release();
    if (failed) {
        error = "Unable to create target";
        return TargetFailed;
    }
    return Ok;
}
