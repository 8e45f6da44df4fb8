// One complete installation, then the same installation again with each platform call it made
// failing in turn, in each way that call can fail. Every run must end in one of the installer's
// defined ways, with its message, and leave nothing it created unless the installation completed.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <set>

#include "app/resource.h"
#include "support/Scenario.h"

namespace {

const char kSettingsKey[] = "SOFTWARE\\Brindlecot\\Tolvane\\ActiveX";
const char kFatalStart[] = "An unrecoverable installation error has occurred.\r\n";
const char kInstalled[] = "Tolvane has been installed on your computer.";
const char kTargetFailedStart[] = "Unable to install the Tolvane executable in ";
const char kCreateFailedStart[] = "Unable to create \"";
const char kRefusal[] = "Sorry.\r\nThis version of Tolvane requires Windows 95 or Windows NT.";

enum class Ending { Completed, Fatal, TargetFailed, CreateFailed, Refused, Silent, Other };

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

bool StartsWith(const std::string& text, const char* start) {
    return text.compare(0, std::strlen(start), start) == 0;
}

// The text of the last message box the program tried to show, shown or not: a message box that
// fails does not change what the program did. Empty when it showed none.
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

// The ways each call can fail, beyond its ordinary failure (mode 0).
std::vector<int> ModesOf(const std::string& api) {
    static const std::map<std::string, std::vector<int>> extra = {
        {"fwrite", {0, 1}},  // a short write, nothing written
        {"GetTempPathA", {0, 1}},  // no temporary directory, one too long for the buffer
        {"RegQueryValueExA", {0, 1}},  // missing, grown meanwhile
    };
    auto found = extra.find(api);
    return found == extra.end() ? std::vector<int>{0} : found->second;
}

// What a failure of the n-th call must end in, where the installer defines it.
struct Expectation {
    Ending ending;
    const char* fatalDetail;  // for Fatal
};

bool Expected(const std::string& api, int nth, Expectation& expected) {
    static const std::map<std::string, Expectation> byCall = {
        {"FindResourceA", {Ending::Fatal, "Unable to extract resource"}},
        {"LoadResource", {Ending::Fatal, "Unable to extract resource"}},
        {"LockResource", {Ending::Fatal, "Unable to extract resource"}},
        {"SizeofResource", {Ending::Fatal, "Unable to extract resource"}},
        {"fopen", {Ending::Fatal, "Unable to create temporary file"}},
        {"fwrite", {Ending::Fatal, "Unable to create temporary file"}},
        {"fclose", {Ending::Fatal, "Unable to create temporary file"}},
        {"LZCopy", {Ending::TargetFailed, nullptr}},
        {"CreateProcessA", {Ending::Fatal, "Unable to create process"}},
        {"CreateDirectoryA", {Ending::CreateFailed, nullptr}},
        {"GetVersionExA", {Ending::Refused, nullptr}},
        {"DialogBoxParamA", {Ending::Silent, nullptr}},
        {"WaitForSingleObject", {Ending::Completed, nullptr}},
        {"GetExitCodeProcess", {Ending::Completed, nullptr}},
        {"GetTempPathA", {Ending::Completed, nullptr}},
        {"RegCreateKeyA", {Ending::Completed, nullptr}},
        {"RegSetValueExA", {Ending::Completed, nullptr}},
    };
    if (api == "LZOpenFileA") {
        expected = nth == 1 ? Expectation{Ending::Fatal, "Unable to decompress source"}
                            : Expectation{Ending::TargetFailed, nullptr};
        return true;
    }
    auto found = byCall.find(api);
    if (found == byCall.end()) {
        return false;
    }
    expected = found->second;
    return true;
}

// A removal the platform refused leaves what it should have removed; nothing else may stay.
bool IsRemoval(const std::string& api) {
    static const std::set<std::string> removals = {"DeleteFileA", "RemoveDirectoryA", "_rmdir",
                                                   "remove"};
    return removals.count(api) != 0;
}

host::Machine& Prepared() {
    host::Machine& m = StandardMachine();
    m.processes.defaultProgram.onStart = [](host::Machine& machine) {
        machine.registry.SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Brindlecot\\Tolvane\\Viewer",
                                   "Registered", "yes");
    };
    // The user confirms, gives up on a retry, and cancels a dialog left open.
    m.ui.autoAnswer = [](const host::MessageBoxRecord& box) {
        return (box.style & 0xF) == MB_RETRYCANCEL ? IDCANCEL : IDOK;
    };
    m.ui.Click(IDOK);
    m.ui.Click(IDCANCEL);
    return m;
}

struct Baseline {
    std::string files;
    std::string registry;
};

// Checks one run; returns the problems found ("" for none).
std::string Check(host::Machine& m, const InstallerRun& run, const Baseline& before,
                  const std::string& api, int nth) {
    std::string problems;
    auto fail = [&](const std::string& what) { problems += what + "; "; };
    if (!run.mismatch.empty()) {
        fail("the user could not go on: " + run.mismatch);
        return problems;
    }
    const Ending ending = EndingOf(m);
    Expectation expected{};
    if (Expected(api, nth, expected) && expected.ending != ending) {
        fail(std::string("ended ") + Name(ending) + ", expected " + Name(expected.ending));
    }
    if (ending == Ending::Fatal) {
        if (!run.exitedThroughExitProcess || run.exitCode != 1) {
            fail("a fatal error without exit code 1");
        }
        const std::string text = LastMessage(m);
        if (expected.fatalDetail != nullptr &&
            text.find(std::string("\r\n") + expected.fatalDetail + "\r\n") == std::string::npos) {
            fail("fatal message without the reason " + std::string(expected.fatalDetail));
        }
    } else if (run.exitedThroughExitProcess) {
        fail("ExitProcess without the fatal message");
    }
    if (m.registry.OpenKeyCount() != 0) fail("a registry key left open");
    if (m.lz.OpenHandleCount() != 0) fail("an LZ handle left open");
    if (m.files.OpenFileCount() != 0) fail("a file left open");

    if (ending == Ending::Completed) {
        if (m.processes.created.empty()) {
            fail("completed without starting the program");
            return problems;
        }
        const std::string exe = m.processes.created[0].application;
        if (m.files.ReadFile(exe) != PayloadOriginal()) fail("the installed program is damaged");
        const bool writeFailed = api == "RegCreateKeyA" || api == "RegSetValueExA";
        const host::RegValue* recorded =
            m.registry.FindValue(HKEY_LOCAL_MACHINE, kSettingsKey, "");
        if (!writeFailed && recorded == nullptr) fail("the directory was not recorded");
    } else if (!IsRemoval(api)) {
        if (m.files.Dump() != before.files) fail("files left behind");
        // The program may have registered itself before it was taken back; the installer's
        // own value must not be there.
        if (m.registry.FindValue(HKEY_LOCAL_MACHINE, kSettingsKey, "") != nullptr) {
            fail("the directory recorded");
        }
    }
    return problems;
}

TEST(FaultInjection, EveryCallOfACompleteInstallationFailingInTurn) {
    host::Machine& base = Prepared();
    const Baseline before = {base.files.Dump(), base.registry.Dump()};
    InstallerRun clean = RunInstaller(base);
    ASSERT_EQ(clean.mismatch, "");
    ASSERT_EQ(EndingOf(base), Ending::Completed);

    // The calls of the clean run, each with its number among the calls of its name.
    std::vector<std::pair<std::string, int>> calls;
    std::map<std::string, int> seen;
    for (const host::CallRecord& call : base.calls) {
        calls.emplace_back(call.api, ++seen[call.api]);
    }

    int injected = 0;
    int failures = 0;
    for (const auto& [api, nth] : calls) {
        for (int mode : ModesOf(api)) {
            host::Machine& m = Prepared();
            m.FailCall(api, nth, mode);
            InstallerRun run = RunInstaller(m);
            ++injected;
            const std::string problems = Check(m, run, before, api, nth);
            if (!problems.empty()) {
                ++failures;
                ADD_FAILURE() << api << " #" << nth << " mode " << mode << ": " << problems;
            }
        }
    }
    std::printf("fault injection: %zu calls tried, %d faults injected, %d failures found\n",
                calls.size(), injected, failures);
    EXPECT_EQ(failures, 0);
}

}  // namespace
