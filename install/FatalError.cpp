#include "FatalError.h"

#include "UndoJournal.h"

#define TOLVANE_SUPPORT_ADDRESS "setup-support@brindlecot.example"

void FatalInstallError(const CWnd& owner, LPCSTR detail) {
    CString text = "An unrecoverable installation error has occurred.\r\n";
    if (detail != nullptr) {
        text += detail;
        text += "\r\n";
    }
    text += "\nPlease email Brindlecot at:\r\n\n\t";
    text += TOLVANE_SUPPORT_ADDRESS;
    owner.MessageBox(text, "Fatal Error", MB_OK | MB_ICONHAND);
    UndoJournal::Rollback();
    ::ExitProcess(1);
}
