#include "support/Outcome.h"

#include <cstring>

#include "support/InstallerRun.h"
#include "support/Scenario.h"

namespace {

const char kFatalStart[] = "An unrecoverable installation error has occurred.\r\n";
const char kInstalled[] = "Tolvane has been installed on your computer.";
const char kTargetFailedStart[] = "Unable to install the Tolvane executable in ";
const char kCreateFailedStart[] = "Unable to create \"";
const char kRefusal[] = "Sorry.\r\nThis version of Tolvane requires Windows 95 or Windows NT.";

}  // namespace

const char* Name(Ending ending) {
    switch (ending) {
        case Ending::Completed: return "completed";
        case Ending::Fatal: return "fatal";
        case Ending::TargetFailed: return "target failed";
        case Ending::CreateFailed: return "directory not created";
        case Ending::Refused: return "platform refused";
        case Ending::Silent: return "no message";
        case Ending::Other: return "another message";
    }
    return "?";
}

static bool StartsWith(const std::string& text, const char* start) {
    return text.compare(0, std::strlen(start), start) == 0;
}

std::string LastMessage(const host::Machine& m) {
    std::string last;
    for (const host::CallRecord& call : m.calls) {
        if (call.api == "MessageBoxA") {
            std::size_t start = call.args.find(", \"");
            std::size_t end = call.args.rfind("\", \"");
            last = call.args.substr(start + 3, end - start - 3);
        }
    }
    return last;
}

Ending EndingOf(const host::Machine& m) {
    const std::string last = LastMessage(m);
    if (last.empty()) {
        return Ending::Silent;
    }
    if (last == kInstalled) return Ending::Completed;
    if (StartsWith(last, kFatalStart)) return Ending::Fatal;
    if (StartsWith(last, kTargetFailedStart)) return Ending::TargetFailed;
    if (StartsWith(last, kCreateFailedStart)) return Ending::CreateFailed;
    if (last == kRefusal) return Ending::Refused;
    return Ending::Other;
}


std::string CheckEnd(host::Machine& m, const InstallerRun& run, const std::string& filesBefore,
                     bool leftoversAllowed, bool writeMayFail) {
    static const char kSettingsKey[] = "SOFTWARE\\Brindlecot\\Tolvane\\ActiveX";
    std::string problems;
    auto fail = [&](const std::string& what) { problems += what + "; "; };
    const Ending ending = EndingOf(m);
    if (ending == Ending::Fatal) {
        if (!run.exitedThroughExitProcess || run.exitCode != 1) {
            fail("a fatal error without exit code 1");
        }
    } else if (run.exitedThroughExitProcess) {
        fail("ExitProcess without the fatal message");
    }
    if (m.registry.OpenKeyCount() != 0) fail("a registry key left open");
    if (m.lz.OpenHandleCount() != 0) fail("an LZ handle left open");
    if (m.files.OpenFileCount() != 0) fail("a file left open");

    const host::RegValue* recorded = m.registry.FindValue(HKEY_LOCAL_MACHINE, kSettingsKey, "");
    if (ending == Ending::Completed) {
        if (m.processes.created.empty()) {
            fail("completed without starting the program");
            return problems;
        }
        const std::string exe = m.processes.created[0].application;
        if (m.files.ReadFile(exe) != PayloadOriginal()) fail("the installed program is damaged");
        if (!writeMayFail && recorded == nullptr) fail("the directory was not recorded");
    } else if (!leftoversAllowed) {
        if (m.files.Dump() != filesBefore) fail("files left behind");
        // The program may have registered itself before it was taken back; the installer's
        // own value must not be there.
        if (recorded != nullptr) fail("the directory recorded");
    }
    return problems;
}
