// LZ32 over the simulated files, with the system library's quirks.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "Lz32.h"
#include "Machine.h"
#include "Szdd.h"

namespace host {

namespace {

constexpr INT kFirstLzHandle = 0x400;
constexpr INT kLzHandleSlots = 16;  // the library keeps 16 expansion states

// The name the library tries when an open fails: the extension's last character becomes '_'
// ("Tolvane.exe" -> "Tolvane.ex_"), a shorter extension gains one, a name without one gains "._".
// Only the backslash is taken for a separator here, as in the library.
std::string MangledName(const std::string& name) {
    std::size_t slash = name.rfind('\\');
    std::size_t dot = name.find('.', slash == std::string::npos ? 0 : slash);
    std::string mangled = name;
    if (dot == std::string::npos) {
        return mangled + "._";
    }
    if (mangled.size() - dot - 1 < 3) {
        return mangled + "_";
    }
    mangled.back() = '_';
    return mangled;
}

}  // namespace

INT Lz32::Open(Machine& machine, LPSTR name, LPOFSTRUCT reopen, WORD style) {
    OFSTRUCT scratch;
    LPOFSTRUCT of = reopen == nullptr ? &scratch : reopen;
    of->cBytes = sizeof(OFSTRUCT);
    of->fFixedDisk = 1;
    of->nErrCode = 0;
    if (name == nullptr) {
        of->nErrCode = ERROR_INVALID_PARAMETER;
        return LZERROR_BADINHANDLE;
    }
    INT handle = OpenOnce(machine, name, of, style);
    if (handle < 0) {
        handle = OpenOnce(machine, MangledName(name), of, style);
    }
    return handle < 0 ? LZERROR_BADINHANDLE : handle;
}

INT Lz32::OpenOnce(Machine& machine, const std::string& name, LPOFSTRUCT of, WORD style) {
    of->nErrCode = 0;
    // The open under LZOpenFileA keeps the full path in the record: longer texts do not fit.
    if (name.size() >= OFS_MAXPATHNAME) {
        of->nErrCode = ERROR_INVALID_DATA;
        return LZERROR_BADINHANDLE;
    }
    FileSystem& files = machine.files;
    WORD access = style & 3;
    Handle handle;
    bool opened = false;
    if ((style & OF_CREATE) != 0) {
        opened = files.OpenForWrite(name, true, handle.path);
    } else if (access != OF_READ) {
        opened = files.OpenForWrite(name, false, handle.path);
    } else {
        opened = files.OpenForRead(name, handle.path);
    }
    if (!opened) {
        of->nErrCode = static_cast<WORD>(machine.lastError);
        return LZERROR_BADINHANDLE;
    }
    handle.write = access != OF_READ;
    std::string shown = files.AbsolutePath(name);
    std::memset(of->szPathName, 0, sizeof of->szPathName);
    std::memcpy(of->szPathName, shown.data(), std::min(shown.size(), sizeof of->szPathName - 1));

    INT value = nextPlain_;
    if ((style & OF_CREATE) == 0 && access == OF_READ) {
        std::vector<BYTE> contents;
        szdd::Header header{};
        if (files.Read(handle.path, contents) &&
            szdd::ReadHeader(contents.data(), contents.size(), header)) {
            handle.unknownMode = header.mode != 'A';
            for (INT slot = kFirstLzHandle;
                 !handle.unknownMode && slot < kFirstLzHandle + kLzHandleSlots; ++slot) {
                if (handles_.count(slot) == 0) {
                    handle.compressed = true;
                    value = slot;
                    break;
                }
            }
        }
    }
    if (value == nextPlain_) {
        ++nextPlain_;
    }
    handles_[value] = handle;
    return value;
}

LONG Lz32::Copy(Machine& machine, INT source, INT target) {
    auto from = handles_.find(source);
    if (from == handles_.end()) {
        return LZERROR_BADINHANDLE;
    }
    auto to = handles_.find(target);
    if (to == handles_.end() || !to->second.write || to->second.compressed) {
        return LZERROR_BADOUTHANDLE;
    }
    std::vector<BYTE> contents;
    if (!machine.files.Read(from->second.path, contents)) {
        return LZERROR_READ;
    }
    std::vector<BYTE> out;
    if (from->second.consumed || from->second.unknownMode) {
        // Nothing left to read, or nothing the library can expand: an empty result, no error.
    } else if (from->second.compressed) {
        // A stream cut short gives what was expanded before the cut, and no error.
        szdd::Expand(contents.data(), contents.size(), out);
    } else {
        out = std::move(contents);
    }
    from->second.consumed = true;
    std::size_t written = 0;
    if (!out.empty() && !machine.files.Append(to->second.path, out.data(), out.size(), written)) {
        return LZERROR_WRITE;
    }
    return static_cast<LONG>(written);
}

void Lz32::Close(INT handle) {
    auto found = handles_.find(handle);
    if (found == handles_.end()) {
        return;
    }
    TheMachine().files.CloseFile(found->second.path);
    handles_.erase(found);
    closed.push_back(handle);
}

}  // namespace host
