#pragma once
// The application object: start-up through AfxWinMain, the per-instance initialisation hook,
// the application title, and the route of application-wide commands such as Help.
#include <string>

#include "CWnd.h"

#define ID_HELP 0xE146

class CWinApp {
public:
    explicit CWinApp(LPCSTR appName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitApplication();
    // The per-instance initialisation hook. FALSE ends the application without a message loop.
    virtual BOOL InitInstance();
    virtual int ExitInstance();
    virtual int Run();

    // Gives the dialogs a 3-D look on systems that do not draw one themselves (before version 4),
    // through the system's 3-D control library when it is present. Failures are ignored.
    BOOL Enable3dControls();

    // Routes an application command through the class's command table.
    BOOL OnCmdMsg(UINT id);
    // Opens the application's help file when it has one.
    void OnHelp();

    HINSTANCE m_hInstance = nullptr;
    LPCSTR m_pszAppName = nullptr;  // the title: set by the constructor or from the executable
    CWnd* m_pMainWnd = nullptr;

protected:
    struct AppCommand {
        UINT id;
        void (*handler)(CWinApp& app);
    };
    // The class's command table, ended by an entry with a null handler.
    virtual const AppCommand* GetCommandMap() const;

private:
    friend int AfxWinMain(HINSTANCE, HINSTANCE, LPSTR, int);
    void StartInstance(HINSTANCE instance);
    void EndInstance();
    LPCSTR givenName_;
    std::string title_;
    HMODULE ctl3d_ = nullptr;
};

int AfxWinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);
CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
LPCSTR AfxGetAppName();
// A modal message box over the main window, captioned with the application's title.
int AfxMessageBox(LPCSTR text, UINT type = MB_OK);
