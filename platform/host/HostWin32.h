#pragma once
// Declarations of the Win32 subset the installer uses, backed by the simulated machine
// (platform/host/Machine.h). Names, types and values follow the system's headers so that the
// code above platform/ compiles unchanged against either.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// ---- basic types -----------------------------------------------------------------------------
typedef int BOOL;
typedef unsigned char BYTE;
typedef unsigned short WORD;
typedef std::uint32_t DWORD;
typedef unsigned int UINT;
typedef int INT;
typedef std::int32_t LONG;
typedef std::uint32_t ULONG;
typedef std::intptr_t INT_PTR;
typedef std::uintptr_t UINT_PTR;
typedef std::intptr_t LONG_PTR;
typedef std::uintptr_t WPARAM;
typedef std::intptr_t LPARAM;
typedef std::intptr_t LRESULT;
typedef char CHAR;
typedef CHAR* LPSTR;
typedef const CHAR* LPCSTR;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef BYTE* LPBYTE;
typedef const BYTE* LPCBYTE;
typedef DWORD* LPDWORD;
typedef LONG LSTATUS;
typedef void* HANDLE;
typedef long long (*FARPROC)();

#define DECLARE_HOST_HANDLE(name) \
    struct name##__ {             \
        int unused;               \
    };                            \
    typedef name##__* name
DECLARE_HOST_HANDLE(HWND);
DECLARE_HOST_HANDLE(HINSTANCE);
DECLARE_HOST_HANDLE(HKEY);
DECLARE_HOST_HANDLE(HICON);
DECLARE_HOST_HANDLE(HBITMAP);
DECLARE_HOST_HANDLE(HCURSOR);
DECLARE_HOST_HANDLE(HRSRC);
#undef DECLARE_HOST_HANDLE
typedef HINSTANCE HMODULE;
typedef HANDLE HGLOBAL;
typedef HKEY* PHKEY;
typedef DWORD COLORREF;

#define WINAPI
#define CALLBACK
#define APIENTRY

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

#define MAKEINTRESOURCEA(i) (reinterpret_cast<LPSTR>(static_cast<UINT_PTR>(static_cast<WORD>(i))))
#define IS_INTRESOURCE(p) ((reinterpret_cast<UINT_PTR>(p) >> 16) == 0)
#define LOWORD(l) (static_cast<WORD>(static_cast<UINT_PTR>(l) & 0xffff))
#define HIWORD(l) (static_cast<WORD>((static_cast<UINT_PTR>(l) >> 16) & 0xffff))
#define MAKEWPARAM(l, h) \
    (static_cast<WPARAM>(static_cast<DWORD>(static_cast<WORD>(l) | (static_cast<DWORD>(h) << 16))))
#define RGB(r, g, b) \
    (static_cast<COLORREF>((BYTE)(r) | (static_cast<DWORD>((BYTE)(g)) << 8) | (static_cast<DWORD>((BYTE)(b)) << 16)))

// ---- errors ----------------------------------------------------------------------------------
#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_PATH_NOT_FOUND 3L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_INVALID_DATA 13L
#define ERROR_NOT_READY 21L
#define ERROR_SHARING_VIOLATION 32L
#define ERROR_FILE_EXISTS 80L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_DISK_FULL 112L
#define ERROR_INVALID_NAME 123L
#define ERROR_DIR_NOT_EMPTY 145L
#define ERROR_ALREADY_EXISTS 183L
#define ERROR_FILENAME_EXCED_RANGE 206L
#define ERROR_MORE_DATA 234L
#define ERROR_RESOURCE_DATA_NOT_FOUND 1812L
#define ERROR_RESOURCE_TYPE_NOT_FOUND 1813L
#define ERROR_RESOURCE_NAME_NOT_FOUND 1814L
#define ERROR_BADKEY 1010L
#define ERROR_CANTOPEN 1011L
#define ERROR_CANTWRITE 1013L
DWORD GetLastError();
void SetLastError(DWORD error);

// ---- message boxes ---------------------------------------------------------------------------
#define MB_OK 0x00000000L
#define MB_OKCANCEL 0x00000001L
#define MB_RETRYCANCEL 0x00000005L
#define MB_ICONHAND 0x00000010L
#define MB_ICONSTOP MB_ICONHAND
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONQUESTION 0x00000020L
#define MB_ICONEXCLAMATION 0x00000030L
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONASTERISK 0x00000040L
#define MB_ICONINFORMATION MB_ICONASTERISK
#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// ---- windows and dialogs ---------------------------------------------------------------------
#define WM_DESTROY 0x0002
#define WM_SETTEXT 0x000C
#define WM_GETTEXT 0x000D
#define WM_GETTEXTLENGTH 0x000E
#define WM_CLOSE 0x0010
#define WM_HELP 0x0053
#define WM_NOTIFY 0x004E
#define WM_SETICON 0x0080
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define WM_USER 0x0400
#define BN_CLICKED 0
#define ICON_SMALL 0
#define ICON_BIG 1
#define STM_SETICON 0x0170
#define STM_GETICON 0x0171
#define STM_SETIMAGE 0x0172
#define STM_GETIMAGE 0x0173
#define IMAGE_BITMAP 0
#define IMAGE_ICON 1
#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_SHOW 5
#define SM_CXSCREEN 0
#define SM_CYSCREEN 1
#define SWP_NOSIZE 0x0001
#define SWP_NOZORDER 0x0004
#define SWP_NOACTIVATE 0x0010
#define GWL_STYLE (-16)
#define GWL_EXSTYLE (-20)
#define WS_VISIBLE 0x10000000L
#define WS_CHILD 0x40000000L
#define WS_TABSTOP 0x00010000L
#define WS_DISABLED 0x08000000L
#define DS_CENTER 0x0800L
#define BS_DEFPUSHBUTTON 0x00000001L
#define COLOR_BTNFACE 15
#define COLOR_BTNSHADOW 16
#define COLOR_BTNTEXT 18
#define COLOR_BTNHIGHLIGHT 20

typedef struct tagRECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
} RECT, *LPRECT;

typedef INT_PTR(CALLBACK* DLGPROC)(HWND, UINT, WPARAM, LPARAM);

INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC proc,
                        LPARAM initParam);
BOOL EndDialog(HWND dialog, INT_PTR result);
HWND GetDlgItem(HWND dialog, int id);
int GetDlgCtrlID(HWND window);
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL SetWindowTextA(HWND window, LPCSTR text);
int GetWindowTextA(HWND window, LPSTR buffer, int capacity);
int GetWindowTextLengthA(HWND window);
BOOL ShowWindow(HWND window, int command);
BOOL IsWindow(HWND window);
BOOL IsWindowVisible(HWND window);
BOOL GetWindowRect(HWND window, LPRECT rect);
BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint);
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL UpdateWindow(HWND window);
HWND GetParent(HWND window);
LONG GetWindowLongA(HWND window, int index);
int GetSystemMetrics(int index);
DWORD GetSysColor(int index);

// ---- icons, cursors, bitmaps -----------------------------------------------------------------
#define IDC_ARROW MAKEINTRESOURCEA(32512)
#define IDC_WAIT MAKEINTRESOURCEA(32514)
HICON LoadIconA(HINSTANCE instance, LPCSTR name);
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
HCURSOR SetCursor(HCURSOR cursor);

typedef struct _COLORMAP {
    COLORREF from;
    COLORREF to;
} COLORMAP, *LPCOLORMAP;
// comctl32's export by ordinal 8.
HBITMAP CreateMappedBitmap(HINSTANCE instance, INT_PTR bitmapId, UINT flags, LPCOLORMAP colorMap,
                           int mapSize);

// ---- version ---------------------------------------------------------------------------------
#define VER_PLATFORM_WIN32s 0
#define VER_PLATFORM_WIN32_WINDOWS 1
#define VER_PLATFORM_WIN32_NT 2
typedef struct _OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    CHAR szCSDVersion[128];
} OSVERSIONINFOA, *LPOSVERSIONINFOA;
BOOL GetVersionExA(LPOSVERSIONINFOA info);
DWORD GetVersion();

// ---- modules and resources -------------------------------------------------------------------
HMODULE GetModuleHandleA(LPCSTR name);
DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD capacity);
HMODULE LoadLibraryA(LPCSTR name);
FARPROC GetProcAddress(HMODULE module, LPCSTR name);
BOOL FreeLibrary(HMODULE module);
HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
LPVOID LockResource(HGLOBAL loaded);
DWORD SizeofResource(HMODULE module, HRSRC resource);

// ---- files and directories -------------------------------------------------------------------
#define INVALID_FILE_ATTRIBUTES 0xFFFFFFFFu
#define FILE_ATTRIBUTE_READONLY 0x00000001u
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010u
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020u
#define MAX_PATH 260
typedef struct _SECURITY_ATTRIBUTES {
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
} SECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;
DWORD GetFileAttributesA(LPCSTR path);
BOOL CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES security);
BOOL RemoveDirectoryA(LPCSTR path);
BOOL DeleteFileA(LPCSTR path);
DWORD GetTempPathA(DWORD capacity, LPSTR buffer);
DWORD GetCurrentThreadId();

// ---- the ANSI code page ----------------------------------------------------------------------
BOOL IsDBCSLeadByte(BYTE byte);
LPSTR CharNextA(LPCSTR text);
UINT GetACP();

// ---- processes -------------------------------------------------------------------------------
#define NORMAL_PRIORITY_CLASS 0x00000020
#define INFINITE 0xFFFFFFFFu
#define WAIT_OBJECT_0 0x00000000u
#define WAIT_TIMEOUT 0x00000102u
#define WAIT_FAILED 0xFFFFFFFFu
#define STILL_ACTIVE 259
typedef struct _STARTUPINFOA {
    DWORD cb;
    LPSTR lpReserved;
    LPSTR lpDesktop;
    LPSTR lpTitle;
    DWORD dwX;
    DWORD dwY;
    DWORD dwXSize;
    DWORD dwYSize;
    DWORD dwXCountChars;
    DWORD dwYCountChars;
    DWORD dwFillAttribute;
    DWORD dwFlags;
    WORD wShowWindow;
    WORD cbReserved2;
    LPBYTE lpReserved2;
    HANDLE hStdInput;
    HANDLE hStdOutput;
    HANDLE hStdError;
} STARTUPINFOA, *LPSTARTUPINFOA;
typedef struct _PROCESS_INFORMATION {
    HANDLE hProcess;
    HANDLE hThread;
    DWORD dwProcessId;
    DWORD dwThreadId;
} PROCESS_INFORMATION, *LPPROCESS_INFORMATION;
void GetStartupInfoA(LPSTARTUPINFOA info);
BOOL CreateProcessA(LPCSTR application, LPSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
                    LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles, DWORD flags,
                    LPVOID environment, LPCSTR currentDirectory, LPSTARTUPINFOA startup,
                    LPPROCESS_INFORMATION info);
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode);
BOOL CloseHandle(HANDLE handle);
[[noreturn]] void ExitProcess(UINT exitCode);

// ---- registry --------------------------------------------------------------------------------
#define HKEY_CLASSES_ROOT (reinterpret_cast<HKEY>(static_cast<UINT_PTR>(0x80000000u)))
#define HKEY_CURRENT_USER (reinterpret_cast<HKEY>(static_cast<UINT_PTR>(0x80000001u)))
#define HKEY_LOCAL_MACHINE (reinterpret_cast<HKEY>(static_cast<UINT_PTR>(0x80000002u)))
#define HKEY_USERS (reinterpret_cast<HKEY>(static_cast<UINT_PTR>(0x80000003u)))
#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_DWORD 4
LONG RegOpenKeyA(HKEY root, LPCSTR subKey, PHKEY result);
LONG RegCreateKeyA(HKEY root, LPCSTR subKey, PHKEY result);
LONG RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD size);
LONG RegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data,
                    DWORD size);
LONG RegCloseKey(HKEY key);

// ---- LZ32 ------------------------------------------------------------------------------------
#define OFS_MAXPATHNAME 128
#define OF_READ 0x0000
#define OF_WRITE 0x0001
#define OF_READWRITE 0x0002
#define OF_CREATE 0x1000
#define LZERROR_BADINHANDLE (-1)
#define LZERROR_BADOUTHANDLE (-2)
#define LZERROR_READ (-3)
#define LZERROR_WRITE (-4)
#define LZERROR_GLOBALLOC (-5)
#define LZERROR_GLOBLOCK (-6)
#define LZERROR_BADVALUE (-7)
#define LZERROR_UNKNOWNALG (-8)
typedef struct _OFSTRUCT {
    BYTE cBytes;
    BYTE fFixedDisk;
    WORD nErrCode;
    WORD Reserved1;
    WORD Reserved2;
    CHAR szPathName[OFS_MAXPATHNAME];
} OFSTRUCT, *LPOFSTRUCT;
INT LZOpenFileA(LPSTR name, LPOFSTRUCT reopen, WORD style);
LONG LZCopy(INT source, INT target);
void LZClose(INT handle);

// ---- the common Save dialog ------------------------------------------------------------------
#define OFN_READONLY 0x00000001
#define OFN_OVERWRITEPROMPT 0x00000002
#define OFN_HIDEREADONLY 0x00000004
#define OFN_NOCHANGEDIR 0x00000008
#define OFN_ENABLEHOOK 0x00000020
#define OFN_EXPLORER 0x00080000
#define OFN_LONGNAMES 0x00200000
#define CDM_FIRST (WM_USER + 100)
#define CDM_GETFOLDERPATH (CDM_FIRST + 0x0002)
#define CDM_SETCONTROLTEXT (CDM_FIRST + 0x0004)
#define CDM_HIDECONTROL (CDM_FIRST + 0x0005)
typedef UINT_PTR(CALLBACK* LPOFNHOOKPROC)(HWND, UINT, WPARAM, LPARAM);
typedef struct tagOFNA {
    DWORD lStructSize;
    HWND hwndOwner;
    HINSTANCE hInstance;
    LPCSTR lpstrFilter;
    LPSTR lpstrCustomFilter;
    DWORD nMaxCustFilter;
    DWORD nFilterIndex;
    LPSTR lpstrFile;
    DWORD nMaxFile;
    LPSTR lpstrFileTitle;
    DWORD nMaxFileTitle;
    LPCSTR lpstrInitialDir;
    LPCSTR lpstrTitle;
    DWORD Flags;
    WORD nFileOffset;
    WORD nFileExtension;
    LPCSTR lpstrDefExt;
    LPARAM lCustData;
    LPOFNHOOKPROC lpfnHook;
    LPCSTR lpTemplateName;
} OPENFILENAMEA, *LPOPENFILENAMEA;
BOOL GetSaveFileNameA(LPOPENFILENAMEA ofn);
DWORD CommDlgExtendedError();

// ---- help --------------------------------------------------------------------------------------
#define HELP_CONTEXT 0x0001L
#define HELP_INDEX 0x0003L
BOOL WinHelpA(HWND window, LPCSTR helpFile, UINT command, UINT_PTR data);

// ---- the C runtime's file and exit functions, routed to the machine ----------------------------
// The standard headers above are parsed before these names are redirected, so only the code that
// includes this header after them sees the machine's versions. The simulation's own sources
// (TOLVANE_HOST_SIMULATION) keep the real names.
FILE* tolvane_host_fopen(const char* path, const char* mode);
std::size_t tolvane_host_fwrite(const void* data, std::size_t size, std::size_t count,
                                FILE* stream);
int tolvane_host_fclose(FILE* stream);
int tolvane_host_rmdir(const char* path);
int tolvane_host_remove(const char* path);
int tolvane_host_atexit(void (*function)());
#ifndef TOLVANE_HOST_SIMULATION
#define fopen tolvane_host_fopen
#define fwrite tolvane_host_fwrite
#define fclose tolvane_host_fclose
#define _rmdir tolvane_host_rmdir
#define remove tolvane_host_remove
#define atexit tolvane_host_atexit
#endif
