// Simulated processes: exact creation records, and waits on the virtual clock.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "Machine.h"

namespace {

const char kExe[] = "C:\\Program Files\\Tolvane\\Tolvane.exe";
constexpr std::uint64_t kForever = std::numeric_limits<std::uint64_t>::max();

host::Machine& Prepared(std::uint64_t runMs, DWORD exitCode) {
    host::Machine& m = host::NewMachine();
    m.files.MakeDirectories("C:\\Program Files\\Tolvane");
    m.files.WriteFile(kExe, {'M', 'Z'});
    host::Program program;
    program.runMs = runMs;
    program.exitCode = exitCode;
    m.processes.Place("c:\\program files\\tolvane\\TOLVANE.EXE", program);
    return m;
}

PROCESS_INFORMATION Start(host::Machine& m) {
    STARTUPINFOA startup;
    GetStartupInfoA(&startup);
    std::string line = std::string(kExe) + " /AutoRegister";
    PROCESS_INFORMATION info{};
    EXPECT_TRUE(CreateProcessA(kExe, &line[0], nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                               nullptr, nullptr, &startup, &info));
    EXPECT_EQ(m.processes.created.size(), 1u);
    return info;
}

TEST(Processes, CreationRecordsTheExactArguments) {
    host::Machine& m = Prepared(1000, 0);
    int started = 0;
    host::Program program;
    program.onStart = [&started](host::Machine& machine) {
        started = 1;
        machine.registry.CreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Registered");
    };
    m.processes.Place(kExe, program);
    STARTUPINFOA startup;
    GetStartupInfoA(&startup);
    EXPECT_EQ(startup.cb, sizeof startup);
    EXPECT_EQ(startup.dwFlags, 0u);
    EXPECT_EQ(startup.lpTitle, nullptr);
    char line[] = "C:\\Program Files\\Tolvane\\Tolvane.exe /AutoRegister";
    SECURITY_ATTRIBUTES security{};
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(CreateProcessA(kExe, line, &security, nullptr, TRUE, 0x20, nullptr, "C:\\",
                               &startup, &info));
    ASSERT_EQ(m.processes.created.size(), 1u);
    const host::CreatedProcess& p = m.processes.created[0];
    EXPECT_EQ(p.application, kExe);
    EXPECT_EQ(p.commandLine, line);
    EXPECT_TRUE(p.processAttributes);
    EXPECT_FALSE(p.threadAttributes);
    EXPECT_EQ(p.inheritHandles, TRUE);
    EXPECT_EQ(p.flags, 0x20u);
    EXPECT_FALSE(p.environment);
    EXPECT_EQ(p.currentDirectory, "C:\\");
    EXPECT_EQ(p.startupCb, sizeof startup);
    EXPECT_EQ(p.openHandles, 2);
    EXPECT_NE(info.hProcess, nullptr);
    EXPECT_NE(info.hProcess, info.hThread);
    EXPECT_EQ(started, 1);
    EXPECT_TRUE(m.registry.KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Registered"));
}

TEST(Processes, AMissingProgramFileFailsTheCreation) {
    host::Machine& m = Prepared(0, 0);
    m.files.DeleteFile(kExe);
    char line[] = "C:\\Program Files\\Tolvane\\Tolvane.exe /AutoRegister";
    STARTUPINFOA startup{};
    PROCESS_INFORMATION info{};
    EXPECT_FALSE(CreateProcessA(kExe, line, nullptr, nullptr, FALSE, 0x20, nullptr, nullptr,
                                &startup, &info));
    EXPECT_EQ(m.lastError, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(m.processes.created.empty());
}

struct WaitCase {
    std::uint64_t runMs;
    DWORD slice;
    DWORD result;
    std::uint64_t nowMs;  // the clock after the wait
    DWORD exitCode;       // GetExitCodeProcess afterwards
};

TEST(Processes, AWaitEndsWithTheProcessOrTheSlice) {
    const std::vector<WaitCase> cases = {
        {0, 250, WAIT_OBJECT_0, 0, 7},
        {100, 250, WAIT_OBJECT_0, 100, 7},
        {250, 250, WAIT_OBJECT_0, 250, 7},
        {251, 250, WAIT_TIMEOUT, 250, STILL_ACTIVE},
        {kForever, 250, WAIT_TIMEOUT, 250, STILL_ACTIVE},
        {kForever, 0, WAIT_TIMEOUT, 0, STILL_ACTIVE},
        {90000, INFINITE, WAIT_OBJECT_0, 90000, 7},
    };
    for (const WaitCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.runMs) + " " + std::to_string(c.slice));
        host::Machine& m = Prepared(c.runMs, 7);
        m.processes.nowMs = 0;
        PROCESS_INFORMATION info = Start(m);
        EXPECT_EQ(WaitForSingleObject(info.hProcess, c.slice), c.result);
        EXPECT_EQ(m.processes.nowMs, c.nowMs);
        DWORD code = 0;
        EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
        EXPECT_EQ(code, c.exitCode);
    }
}

TEST(Processes, SixHundredSlicesTakeOneHundredFiftyVirtualSeconds) {
    struct Case {
        std::uint64_t runMs;
        int slices;  // until the wait stops timing out
        DWORD exitCode;
    };
    for (const Case& c : {Case{kForever, 600, STILL_ACTIVE}, Case{149999, 599, 100},
                          Case{150000, 599, 100}, Case{150001, 600, STILL_ACTIVE}}) {
        SCOPED_TRACE(c.runMs);
        host::Machine& m = Prepared(c.runMs, 100);
        PROCESS_INFORMATION info = Start(m);
        int slices = 0;
        while (slices < 600 && WaitForSingleObject(info.hProcess, 250) == WAIT_TIMEOUT) {
            ++slices;
        }
        EXPECT_EQ(slices, c.slices);
        EXPECT_EQ(m.processes.nowMs, std::min<std::uint64_t>(c.runMs, 150000));
        DWORD code = 0;
        EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
        EXPECT_EQ(code, c.exitCode);
        EXPECT_EQ(m.processes.IsRunning(0), c.exitCode == STILL_ACTIVE);
    }
}

TEST(Processes, HandlesCloseOnceAndFaultsFail) {
    host::Machine& m = Prepared(1000, 3);
    PROCESS_INFORMATION info = Start(m);
    m.FailCall("WaitForSingleObject", 1);
    m.FailCall("GetExitCodeProcess", 1);
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 250), WAIT_FAILED);
    EXPECT_EQ(m.processes.nowMs, 0u);
    DWORD code = 12345;
    EXPECT_FALSE(GetExitCodeProcess(info.hProcess, &code));
    EXPECT_EQ(code, 12345u);
    EXPECT_FALSE(GetExitCodeProcess(info.hThread, &code));
    EXPECT_TRUE(CloseHandle(info.hThread));
    EXPECT_TRUE(CloseHandle(info.hProcess));
    EXPECT_EQ(m.processes.created[0].openHandles, 0);
    EXPECT_FALSE(CloseHandle(info.hProcess));
    EXPECT_EQ(m.lastError, static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 250), WAIT_FAILED);
}

TEST(Processes, ExitProcessEndsTheRunWithItsCode) {
    host::NewMachine();
    try {
        ExitProcess(1);
        FAIL() << "ExitProcess returned";
    } catch (const host::ProcessExit& exit) {
        EXPECT_EQ(exit.exitCode, 1u);
    }
    EXPECT_EQ(host::TheMachine().CallCount("ExitProcess"), 1);
}

}  // namespace
