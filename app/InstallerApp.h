#pragma once
// The process's application object: prepares the dialogs' look, refuses unsupported platforms
// and runs the install dialog as the only window.
#include "../platform/framework/CWinApp.h"

class InstallerApp : public CWinApp {
public:
    InstallerApp() : CWinApp(nullptr) {}
    ~InstallerApp() override = default;

    BOOL InitInstance() override;

protected:
    const AppCommand* GetCommandMap() const override;
};

// True on the Windows 95 family and on Windows NT.
bool IsSupportedWindows();
