// The process entry point of the Windows build; host tests call AfxWinMain themselves.
#include "CWinApp.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    return AfxWinMain(instance, previous, commandLine, show);
}
