#include "CWinApp.h"

namespace {

CWinApp* theApplication = nullptr;

typedef BOOL(WINAPI* Ctl3dFunction)(HINSTANCE);

Ctl3dFunction Ctl3dEntry(HMODULE library, LPCSTR name) {
    return reinterpret_cast<Ctl3dFunction>(
        reinterpret_cast<void*>(::GetProcAddress(library, name)));
}

// The title is the executable's file name without directory and extension.
std::string TitleFromModule(HINSTANCE instance) {
    char path[MAX_PATH + 1] = {};
    DWORD length = ::GetModuleFileNameA(instance, path, MAX_PATH);
    std::string name(path, length > MAX_PATH ? MAX_PATH : length);
    std::size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos) {
        name.erase(0, slash + 1);
    }
    std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos) {
        name.erase(dot);
    }
    return name;
}

}  // namespace

CWinApp::CWinApp(LPCSTR appName) : m_pszAppName(appName), givenName_(appName) {
    theApplication = this;
}

CWinApp::~CWinApp() {
    if (theApplication == this) {
        theApplication = nullptr;
    }
}

BOOL CWinApp::InitApplication() {
    return TRUE;
}

BOOL CWinApp::InitInstance() {
    return TRUE;
}

int CWinApp::ExitInstance() {
    return 0;
}

int CWinApp::Run() {
    // The program has no frame window: a TRUE initialisation without a main window just ends.
    return ExitInstance();
}

BOOL CWinApp::Enable3dControls() {
    if ((::GetVersion() & 0xff) >= 4) {
        return TRUE;
    }
    HMODULE library = ::LoadLibraryA("CTL3D32.DLL");
    if (library == nullptr) {
        return FALSE;
    }
    Ctl3dFunction registerModule = Ctl3dEntry(library, "Ctl3dRegister");
    Ctl3dFunction autoSubclass = Ctl3dEntry(library, "Ctl3dAutoSubclass");
    if (registerModule == nullptr || autoSubclass == nullptr || !registerModule(m_hInstance)) {
        ::FreeLibrary(library);
        return FALSE;
    }
    autoSubclass(m_hInstance);
    ctl3d_ = library;
    return TRUE;
}

const CWinApp::AppCommand* CWinApp::GetCommandMap() const {
    static const AppCommand none[] = {{0, nullptr}};
    return none;
}

BOOL CWinApp::OnCmdMsg(UINT id) {
    for (const AppCommand* entry = GetCommandMap(); entry->handler != nullptr; ++entry) {
        if (entry->id == id) {
            entry->handler(*this);
            return TRUE;
        }
    }
    return FALSE;
}

void CWinApp::OnHelp() {
    char path[MAX_PATH + 1] = {};
    DWORD length = ::GetModuleFileNameA(m_hInstance, path, MAX_PATH);
    std::string full(path, length > MAX_PATH ? MAX_PATH : length);
    std::size_t dot = full.find_last_of('.');
    if (dot == std::string::npos) {
        return;
    }
    full = full.substr(0, dot) + ".HLP";
    // Without a help file there is nothing to open: say nothing rather than an error.
    if (::GetFileAttributesA(full.c_str()) == INVALID_FILE_ATTRIBUTES) {
        return;
    }
    ::WinHelpA(m_pMainWnd != nullptr ? m_pMainWnd->m_hWnd : nullptr, full.c_str(), HELP_INDEX, 0);
}

void CWinApp::StartInstance(HINSTANCE instance) {
    m_hInstance = instance;
    m_pMainWnd = nullptr;
    if (givenName_ == nullptr) {
        title_ = TitleFromModule(instance);
        m_pszAppName = title_.c_str();
    }
}

void CWinApp::EndInstance() {
    if (ctl3d_ != nullptr) {
        Ctl3dFunction unregisterModule = Ctl3dEntry(ctl3d_, "Ctl3dUnregister");
        if (unregisterModule != nullptr) {
            unregisterModule(m_hInstance);
        }
        ::FreeLibrary(ctl3d_);
        ctl3d_ = nullptr;
    }
    m_pMainWnd = nullptr;
}

int AfxWinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    CWinApp* app = theApplication;
    if (app == nullptr) {
        return -1;
    }
    app->StartInstance(instance);
    int result = 0;
    if (!app->InitApplication() || !app->InitInstance()) {
        result = app->ExitInstance();
    } else {
        result = app->Run();
    }
    app->EndInstance();
    return result;
}

CWinApp* AfxGetApp() {
    return theApplication;
}

HINSTANCE AfxGetInstanceHandle() {
    return theApplication != nullptr ? theApplication->m_hInstance : nullptr;
}

HINSTANCE AfxGetResourceHandle() {
    return AfxGetInstanceHandle();
}

LPCSTR AfxGetAppName() {
    return theApplication != nullptr && theApplication->m_pszAppName != nullptr
               ? theApplication->m_pszAppName
               : "";
}

int AfxMessageBox(LPCSTR text, UINT type) {
    CWinApp* app = AfxGetApp();
    HWND owner = app != nullptr && app->m_pMainWnd != nullptr ? app->m_pMainWnd->m_hWnd : nullptr;
    return ::MessageBoxA(owner, text, AfxGetAppName(), type);
}
