#include "Registration.h"

#include "../app/resource.h"
#include "../platform/framework/CWinApp.h"
#include "FatalError.h"

namespace {

// The process and thread handles of the started program, closed on every way out.
class ProcessHandles {
public:
    ProcessHandles() = default;
    ~ProcessHandles() {
        if (info.hThread != nullptr) {
            ::CloseHandle(info.hThread);
        }
        if (info.hProcess != nullptr) {
            ::CloseHandle(info.hProcess);
        }
    }
    ProcessHandles(const ProcessHandles&) = delete;
    ProcessHandles& operator=(const ProcessHandles&) = delete;
    PROCESS_INFORMATION info = {};
};

}  // namespace

RegistrationOutcome RunRegistration(CDialog& dialog, const CStatic& progressIcon,
                                    const CString& executablePath) {
    dialog.SetWindowText("Registering Tolvane...");
    HINSTANCE instance = AfxGetResourceHandle();
    const HICON frames[3] = {::LoadIconA(instance, MAKEINTRESOURCEA(IDI_SPIN1)),
                             ::LoadIconA(instance, MAKEINTRESOURCEA(IDI_SPIN2)),
                             ::LoadIconA(instance, MAKEINTRESOURCEA(IDI_SPIN3))};
    progressIcon.SetIcon(frames[0]);
    progressIcon.ShowWindow(SW_SHOW);

    RECT rect = {};
    dialog.GetWindowRect(&rect);
    dialog.MoveWindow(rect.left, rect.top, rect.right - rect.left, kRegistrationHeight, TRUE);
    // No messages are processed during the wait, so the dialog paints now or not at all.
    dialog.UpdateWindow();

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    ::GetStartupInfoA(&startup);

    ProcessHandles process;
    {
        CString commandLine = executablePath + " /AutoRegister";
        BOOL created = ::CreateProcessA(executablePath, commandLine.GetBuffer(commandLine.GetLength()),
                                        nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                                        nullptr, &startup, &process.info);
        if (!created) {
            FatalInstallError(dialog, "Unable to create process");
        }
    }

    int slice = 0;
    for (; slice < kRegistrationSlices; ++slice) {
        if (::WaitForSingleObject(process.info.hProcess, kRegistrationSliceMs) != WAIT_TIMEOUT) {
            break;
        }
        HICON frame = frames[slice % 3];
        if (frame != nullptr) {
            progressIcon.SetIcon(frame);
        }
    }
    if (slice == kRegistrationSlices) {
        return RegistrationOutcome::TimedOut;
    }
    DWORD exitCode = 0;
    if (::GetExitCodeProcess(process.info.hProcess, &exitCode) && exitCode == kRemovedExitCode) {
        return RegistrationOutcome::Removed;
    }
    return RegistrationOutcome::Completed;
}
