#include "DirectoryCreation.h"

#include <memory>

#include "../install/UndoJournal.h"
#include "../platform/framework/CWinApp.h"
#include "PathRules.h"

bool EnsureDirectory(CString directory) {
    int pendingConfirmation = 1;
    return EnsureDirectoryChain(directory, pendingConfirmation);
}

bool EnsureDirectoryChain(const CString& directory, int& pendingConfirmation) {
    if (PathExists(directory)) {
        return true;
    }
    int position = SeparatorPosition(directory);
    if (position >= 1 && !EnsureDirectoryChain(directory.Left(position), pendingConfirmation)) {
        return false;
    }
    if (pendingConfirmation != 0) {
        CString question = "The directory \"" + directory + "\" does not exist. Do you wish to create it?";
        if (AfxMessageBox(question, MB_OKCANCEL | MB_ICONQUESTION) != IDOK) {
            return false;
        }
        pendingConfirmation = 0;
    }
    // A shorter level of the chain, or someone else while the question was open, may have made it.
    if (PathExists(directory)) {
        return true;
    }
    if (!::CreateDirectoryA(directory, nullptr)) {
        AfxMessageBox("Unable to create \"" + directory + "\"", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    UndoJournal::Push(std::make_unique<CreatedDirectoryUndo>(directory));
    return true;
}
