// One complete installation, then the same installation again with each platform call it made
// failing in turn, in each way that call can fail. Every run must end in one of the installer's
// defined ways, with its message, and leave nothing it created unless the installation completed.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <set>

#include "app/resource.h"
#include "support/Outcome.h"
#include "support/Scenario.h"

namespace {

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
    const bool writeFailed = api == "RegCreateKeyA" || api == "RegSetValueExA";
    problems += CheckEnd(m, run, before.files, IsRemoval(api), writeFailed);
    if (ending == Ending::Fatal && expected.fatalDetail != nullptr &&
        LastMessage(m).find(std::string("\r\n") + expected.fatalDetail + "\r\n") ==
            std::string::npos) {
        fail("fatal message without the reason " + std::string(expected.fatalDetail));
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
