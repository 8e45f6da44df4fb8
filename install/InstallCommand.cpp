#include "InstallCommand.h"

#include <memory>

#include "../app/ProductInfo.h"
#include "../paths/DirectoryCreation.h"
#include "../payload/Payload.h"
#include "../platform/framework/CWaitCursor.h"
#include "../settings/InstallerValues.h"
#include "FatalError.h"
#include "Registration.h"
#include "UndoJournal.h"

namespace {

void CloseDialog(CDialog& dialog) {
    dialog.CDialog::OnOK();
}

}  // namespace

void RunInstallCommand(CDialog& dialog, CString& installDir, const CStatic& progressIcon) {
    dialog.UpdateData(TRUE);
    if (!EnsureDirectory(installDir)) {
        UndoJournal::Rollback();
        return;
    }
    CWaitCursor waitCursor;
    const CString executablePath = installDir + "\\" TOLVANE_EXECUTABLE;
    CString error;
    const ExpandResult result =
        ExtractPayload(TOLVANE_PAYLOAD_NAME, TOLVANE_PAYLOAD_TYPE, executablePath, error);
    // SourceFailed never opened the target: a Tolvane.exe there is an earlier installation's,
    // and taking it back would destroy the user's working program.
    if (result != SourceFailed) {
        UndoJournal::Push(std::make_unique<InstalledFileUndo>(executablePath));
    }
    if (result != Ok) {
        UndoJournal::Rollback();
        if (result == SourceFailed) {
            FatalInstallError(dialog, error);
        }
        CString message;
        message.Format(
            "Unable to install the Tolvane executable in %s.\r\nPlease make sure that neither "
            "Tolvane nor Internet Explorer is currently running.",
            static_cast<LPCSTR>(executablePath));
        if (dialog.MessageBox(message, "Tolvane Installation Error",
                              MB_RETRYCANCEL | MB_ICONEXCLAMATION) == IDRETRY) {
            return;
        }
        CloseDialog(dialog);
        return;
    }
    switch (RunRegistration(dialog, progressIcon, executablePath)) {
        case RegistrationOutcome::TimedOut:
            UndoJournal::Rollback();
            dialog.MessageBox("Timeout waiting for auto-registration.", "Possible error",
                              MB_OK | MB_ICONEXCLAMATION);
            break;
        case RegistrationOutcome::Removed:
            UndoJournal::Rollback();
            dialog.MessageBox("Tolvane has been removed from your computer.",
                              "Sorry for inconviencing you...", MB_OK | MB_ICONINFORMATION);
            break;
        case RegistrationOutcome::Completed:
            dialog.MessageBox("Tolvane has been installed on your computer.",
                              "Thanks for trying Tolvane...", MB_OK | MB_ICONINFORMATION);
            SaveInstallDir(installDir);
            break;
    }
    CloseDialog(dialog);
}
