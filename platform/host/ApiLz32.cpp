// LZ32 calls of the simulated Windows.
//
// Fault modes (Machine::FailCall), all mode 0:
//   LZOpenFileA: LZERROR_BADINHANDLE with nErrCode ERROR_ACCESS_DENIED; nothing opened.
//   LZCopy: LZERROR_READ; nothing written.
//   LZClose cannot fail; it is only logged.
#include <string>

#include "Machine.h"

using host::Arg;
using host::Hex;
using host::TheMachine;

namespace {

std::string HandleArg(INT handle) {
    return handle < 0 ? std::to_string(handle) : Hex(static_cast<UINT_PTR>(handle));
}

}  // namespace

INT LZOpenFileA(LPSTR name, LPOFSTRUCT reopen, WORD style) {
    host::Machine& m = TheMachine();
    if (m.Enter("LZOpenFileA", Arg(name) + ", " + Hex(style)) >= 0) {
        if (reopen != nullptr) {
            reopen->nErrCode = ERROR_ACCESS_DENIED;
        }
        return LZERROR_BADINHANDLE;
    }
    return m.lz.Open(m, name, reopen, style);
}

LONG LZCopy(INT source, INT target) {
    host::Machine& m = TheMachine();
    if (m.Enter("LZCopy", HandleArg(source) + ", " + HandleArg(target)) >= 0) {
        return LZERROR_READ;
    }
    return m.lz.Copy(m, source, target);
}

void LZClose(INT handle) {
    host::Machine& m = TheMachine();
    m.Enter("LZClose", HandleArg(handle));
    m.lz.Close(handle);
}
