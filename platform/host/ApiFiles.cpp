// File, directory, code-page and C runtime file calls of the simulated Windows.
//
// Fault modes (Machine::FailCall):
//   GetFileAttributesA, CreateDirectoryA, RemoveDirectoryA, DeleteFileA: 0 fails with
//     ERROR_ACCESS_DENIED and changes nothing.
//   GetTempPathA: 0 returns 0 (ERROR_ACCESS_DENIED); 1 returns 261, as for a path too long for
//     the buffer, and fills nothing.
//   fopen: 0 returns NULL (EACCES). fwrite: 0 stores half the bytes and reports the whole items
//     among them; 1 stores nothing and returns 0. fclose: 0 closes the stream but returns EOF.
//   _rmdir, remove: 0 returns -1 (EACCES) without touching the file system.
//   GetCurrentThreadId, IsDBCSLeadByte, CharNextA, GetACP cannot fail; they are only logged.
#include <cerrno>
#include <cstring>
#include <string>

#include "Machine.h"

using host::Arg;
using host::Hex;
using host::TheMachine;

DWORD GetFileAttributesA(LPCSTR path) {
    host::Machine& m = TheMachine();
    if (m.Enter("GetFileAttributesA", Arg(path)) >= 0) {
        m.lastError = ERROR_ACCESS_DENIED;
        return INVALID_FILE_ATTRIBUTES;
    }
    return m.files.GetAttributes(path);
}

BOOL CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES security) {
    host::Machine& m = TheMachine();
    if (m.Enter("CreateDirectoryA", Arg(path) + (security == nullptr ? ", NULL" : ", security")) >=
        0) {
        m.lastError = ERROR_ACCESS_DENIED;
        return FALSE;
    }
    return m.files.CreateDirectory(path);
}

BOOL RemoveDirectoryA(LPCSTR path) {
    host::Machine& m = TheMachine();
    if (m.Enter("RemoveDirectoryA", Arg(path)) >= 0) {
        m.lastError = ERROR_ACCESS_DENIED;
        return FALSE;
    }
    return m.files.RemoveDirectory(path);
}

BOOL DeleteFileA(LPCSTR path) {
    host::Machine& m = TheMachine();
    if (m.Enter("DeleteFileA", Arg(path)) >= 0) {
        m.lastError = ERROR_ACCESS_DENIED;
        return FALSE;
    }
    return m.files.DeleteFile(path);
}

// Like the platform: the length without the terminating zero when it fits, else the size the
// buffer would need (terminating zero included), leaving the buffer as it was.
DWORD GetTempPathA(DWORD capacity, LPSTR buffer) {
    host::Machine& m = TheMachine();
    int fault = m.Enter("GetTempPathA", std::to_string(capacity));
    if (fault == 0 || m.files.tempPath.empty()) {
        m.lastError = ERROR_ACCESS_DENIED;
        return 0;
    }
    if (fault == 1) {
        return MAX_PATH + 1;
    }
    const std::string& path = m.files.tempPath;
    if (buffer == nullptr || path.size() + 1 > capacity) {
        return static_cast<DWORD>(path.size() + 1);
    }
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return static_cast<DWORD>(path.size());
}

DWORD GetCurrentThreadId() {
    host::Machine& m = TheMachine();
    m.Enter("GetCurrentThreadId", "");
    return m.threadId;
}

// ---- the ANSI code page ------------------------------------------------------------------------

namespace {

bool LeadByte(UINT codePage, BYTE byte) {
    switch (codePage) {
        case 932:
            return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
        case 936:
        case 949:
        case 950:
            return byte >= 0x81 && byte <= 0xFE;
        default:
            return false;
    }
}

}  // namespace

BOOL IsDBCSLeadByte(BYTE byte) {
    host::Machine& m = TheMachine();
    m.Enter("IsDBCSLeadByte", Hex(byte));
    return LeadByte(m.codePage, byte) ? TRUE : FALSE;
}

// Steps over a lead byte and its trail byte as one character, never past the terminating zero.
LPSTR CharNextA(LPCSTR text) {
    host::Machine& m = TheMachine();
    m.Enter("CharNextA", "");
    if (text == nullptr || *text == '\0') {
        return const_cast<LPSTR>(text);
    }
    if (LeadByte(m.codePage, static_cast<BYTE>(text[0])) && text[1] != '\0') {
        return const_cast<LPSTR>(text + 2);
    }
    return const_cast<LPSTR>(text + 1);
}

UINT GetACP() {
    host::Machine& m = TheMachine();
    m.Enter("GetACP", "");
    return m.codePage;
}

// ---- the C runtime -----------------------------------------------------------------------------

FILE* tolvane_host_fopen(const char* path, const char* mode) {
    host::Machine& m = TheMachine();
    if (m.Enter("fopen", Arg(path) + ", " + Arg(mode)) >= 0) {
        m.lastError = ERROR_ACCESS_DENIED;
        errno = EACCES;
        return nullptr;
    }
    return m.files.StreamOpen(path, mode);
}

std::size_t tolvane_host_fwrite(const void* data, std::size_t size, std::size_t count,
                                FILE* stream) {
    host::Machine& m = TheMachine();
    int fault = m.Enter("fwrite", std::to_string(size) + ", " + std::to_string(count) + ", " +
                                      Hex(reinterpret_cast<UINT_PTR>(stream)));
    if (fault == 1 || size == 0) {
        return 0;
    }
    if (fault == 0) {
        std::size_t half = size * count / 2;
        std::size_t written = m.files.StreamWrite(data, 1, half, stream);
        return written / size;
    }
    return m.files.StreamWrite(data, size, count, stream);
}

int tolvane_host_fclose(FILE* stream) {
    host::Machine& m = TheMachine();
    int fault = m.Enter("fclose", Hex(reinterpret_cast<UINT_PTR>(stream)));
    int result = m.files.StreamClose(stream);
    return fault >= 0 ? EOF : result;
}

int tolvane_host_rmdir(const char* path) {
    host::Machine& m = TheMachine();
    if (m.Enter("_rmdir", Arg(path)) >= 0) {
        errno = EACCES;
        return -1;
    }
    if (!RemoveDirectoryA(path)) {
        errno = m.lastError == ERROR_DIR_NOT_EMPTY   ? ENOTEMPTY
                : m.lastError == ERROR_ACCESS_DENIED ? EACCES
                                                     : ENOENT;
        return -1;
    }
    return 0;
}

int tolvane_host_remove(const char* path) {
    host::Machine& m = TheMachine();
    if (m.Enter("remove", Arg(path)) >= 0) {
        errno = EACCES;
        return -1;
    }
    if (!DeleteFileA(path)) {
        errno = m.lastError == ERROR_FILE_NOT_FOUND || m.lastError == ERROR_PATH_NOT_FOUND ? ENOENT
                                                                                           : EACCES;
        return -1;
    }
    return 0;
}
