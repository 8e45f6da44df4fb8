#include "InstallerApp.h"

#include "../install/UndoJournal.h"
#include "InstallDialog.h"

// The journal is ready before the application object exists, and so it is discarded after the
// application object has been destroyed at the end of the process. Both are in this one file
// because only within a file is the order of static initialisation defined.
static const bool journalReady = UndoJournal::Open();
InstallerApp theApp;

bool IsSupportedWindows() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    ::GetVersionExA(&version);
    return version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS ||
           version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

const CWinApp::AppCommand* InstallerApp::GetCommandMap() const {
    static const AppCommand commands[] = {
        {ID_HELP, [](CWinApp& app) { app.OnHelp(); }},
        {0, nullptr},
    };
    return commands;
}

BOOL InstallerApp::InitInstance() {
    Enable3dControls();
    if (!IsSupportedWindows()) {
        ::MessageBoxA(nullptr, "Sorry.\r\nThis version of Tolvane requires Windows 95 or Windows NT.",
                      "Unable to install", MB_OK | MB_ICONHAND);
        return FALSE;
    }
    InstallDialog dialog;
    m_pMainWnd = &dialog;
    dialog.DoModal();
    return FALSE;
}
