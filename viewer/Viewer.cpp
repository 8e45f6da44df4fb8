// Stand-in for the installed viewer. The installer starts it as "<path>\Tolvane.exe /AutoRegister";
// it then records its own path in the registry, where an install can be seen to have registered.
// Started without the switch it only says what it is.
//
// Built with TOLVANE_TEST_VIEWER it also lets a test steer it through the environment:
//   TOLVANE_VIEWER_RUN_MS     milliseconds to run before finishing (default 0)
//   TOLVANE_VIEWER_EXIT_CODE  exit code (default 0); 100 means "removed itself": no registration
//   TOLVANE_VIEWER_LOG        file to which one line, the exact command line, is appended
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr char kViewerKey[] = "SOFTWARE\\Brindlecot\\Tolvane\\Viewer";
constexpr char kRegisteredValue[] = "Registered";
constexpr char kRegisterSwitch[] = "/AutoRegister";
constexpr int kExitFailed = 1;

// Owns an open registry key.
class RegKey {
  public:
    RegKey() = default;
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    ~RegKey() {
        if (key_ != nullptr) {
            RegCloseKey(key_);
        }
    }
    HKEY* Receive() { return &key_; }
    HKEY Get() const { return key_; }

  private:
    HKEY key_ = nullptr;
};

// Owns a C runtime file stream.
class File {
  public:
    explicit File(FILE* f) : f_(f) {}
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    ~File() {
        if (f_ != nullptr) {
            fclose(f_);
        }
    }
    FILE* Get() const { return f_; }

  private:
    FILE* f_;
};

// Switches are case-insensitive on this platform, so "/autoregister" counts as well.
bool HasRegisterSwitch(const char* commandLine) {
    const size_t n = strlen(kRegisterSwitch);
    for (const char* p = commandLine; *p != '\0'; ++p) {
        if (_strnicmp(p, kRegisterSwitch, n) == 0) {
            return true;
        }
    }
    return false;
}

bool RegisterSelf() {
    char path[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof(path));
    if (length == 0 || length >= sizeof(path)) {
        return false;  // a truncated path would register the wrong file
    }
    RegKey key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kViewerKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        key.Receive(), nullptr) != ERROR_SUCCESS) {
        return false;
    }
    return RegSetValueExA(key.Get(), kRegisteredValue, 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(path), length + 1) == ERROR_SUCCESS;
}

#ifdef TOLVANE_TEST_VIEWER

// Reads a decimal number from the environment; a missing or malformed value gives fallback.
unsigned long EnvNumber(const char* name, unsigned long fallback) {
    const char* text = getenv(name);
    if (text == nullptr || *text < '0' || *text > '9') {
        return fallback;
    }
    char* end = nullptr;
    errno = 0;
    const unsigned long value = strtoul(text, &end, 10);
    if (errno != 0 || *end != '\0') {
        return fallback;
    }
    return value;
}

void LogCommandLine(const char* commandLine) {
    const char* logPath = getenv("TOLVANE_VIEWER_LOG");
    if (logPath == nullptr || *logPath == '\0') {
        return;
    }
    File log(fopen(logPath, "ab"));
    if (log.Get() != nullptr) {
        fprintf(log.Get(), "%s\n", commandLine);
    }
}

#endif

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const char* commandLine = GetCommandLineA();
    int exitCode = 0;
#ifdef TOLVANE_TEST_VIEWER
    LogCommandLine(commandLine);
    const unsigned long runMs = EnvNumber("TOLVANE_VIEWER_RUN_MS", 0);
    exitCode = static_cast<int>(EnvNumber("TOLVANE_VIEWER_EXIT_CODE", 0));
    if (runMs > 0) {
        Sleep(static_cast<DWORD>(runMs));
    }
#endif
    if (!HasRegisterSwitch(commandLine)) {
        MessageBoxA(nullptr, "Tolvane viewer stand-in", "Tolvane", MB_OK | MB_ICONINFORMATION);
        return exitCode;
    }
    const bool removedItself = exitCode == 100;
    if (!removedItself && !RegisterSelf()) {
        return kExitFailed;
    }
    return exitCode;
}
