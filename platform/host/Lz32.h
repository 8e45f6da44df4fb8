#pragma once
// LZ32 over the simulated files, with the project's own SZDD codec: SZDD files are expanded, any
// other file is copied unchanged, as the system's library does (its quirks included).
#include <map>
#include <string>
#include <vector>

#include "HostWin32.h"

namespace host {

class Machine;

class Lz32 {
  public:
    // ---- for tests ---------------------------------------------------------------------------
    int OpenHandleCount() const { return static_cast<int>(handles_.size()); }
    // Handles in the order they were closed (to check the target is closed before the source).
    std::vector<INT> closed;

    // ---- for the API implementation -----------------------------------------------------------
    INT Open(Machine& machine, LPSTR name, LPOFSTRUCT reopen, WORD style);
    LONG Copy(Machine& machine, INT source, INT target);
    void Close(INT handle);

  private:
    struct Handle {
        std::string path;  // full path of the file actually opened
        bool write = false;
        bool compressed = false;   // an SZDD file: LZCopy expands it
        bool unknownMode = false;  // SZDD magic with a mode other than 'A': LZCopy writes nothing
        bool consumed = false;     // read to its end by an earlier LZCopy
    };
    INT OpenOnce(Machine& machine, const std::string& name, LPOFSTRUCT reopen, WORD style);
    std::map<INT, Handle> handles_;
    INT nextPlain_ = 1;
};

}  // namespace host
