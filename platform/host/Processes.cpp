// Simulated processes on a virtual clock.
#include <cctype>
#include <limits>
#include <stdexcept>
#include <string>

#include "Machine.h"
#include "Processes.h"

namespace host {

namespace {

constexpr std::uint64_t kForever = std::numeric_limits<std::uint64_t>::max();

std::string Key(const std::string& path) {
    std::string full = TheMachine().files.FullPath(path);
    std::string key = full.empty() ? path : full;
    for (char& c : key) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return key;
}

// Without an application name the program is the command line's first token, quoted or not.
std::string ProgramOf(LPCSTR application, LPCSTR commandLine) {
    if (application != nullptr) {
        return application;
    }
    if (commandLine == nullptr) {
        return "";
    }
    std::string line = commandLine;
    if (!line.empty() && line[0] == '"') {
        return line.substr(1, line.find('"', 1) - 1);
    }
    return line.substr(0, line.find(' '));
}

}  // namespace

void Processes::Place(const std::string& path, Program program) {
    placed_[Key(path)] = std::move(program);
}

BOOL Processes::Create(Machine& machine, LPCSTR application, LPSTR commandLine,
                       LPSECURITY_ATTRIBUTES processAttributes,
                       LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles, DWORD flags,
                       LPVOID environment, LPCSTR currentDirectory, LPSTARTUPINFOA startup,
                       LPPROCESS_INFORMATION info) {
    if (info == nullptr || startup == nullptr) {
        machine.lastError = ERROR_INVALID_PARAMETER;
        return FALSE;
    }
    std::string path = ProgramOf(application, commandLine);
    if (path.empty() || !machine.files.IsFile(path)) {
        machine.lastError = ERROR_FILE_NOT_FOUND;
        return FALSE;
    }
    // Only a program image starts: an empty or foreign file is refused as Windows does.
    std::vector<BYTE> image;
    if (!machine.files.Read(path, image) || image.size() < 2 || image[0] != 'M' ||
        image[1] != 'Z') {
        machine.lastError = 193;  // ERROR_BAD_EXE_FORMAT
        return FALSE;
    }
    auto placed = placed_.find(Key(path));
    Program program = placed == placed_.end() ? defaultProgram : placed->second;

    CreatedProcess record;
    record.application = application == nullptr ? "(null)" : application;
    record.commandLine = commandLine == nullptr ? "(null)" : commandLine;
    record.processAttributes = processAttributes != nullptr;
    record.threadAttributes = threadAttributes != nullptr;
    record.inheritHandles = inheritHandles;
    record.flags = flags;
    record.environment = environment != nullptr;
    record.currentDirectory = currentDirectory == nullptr ? "" : currentDirectory;
    record.startupGiven = true;
    record.startupCb = startup->cb;
    record.startMs = nowMs;
    record.endMs = program.runMs >= kForever - nowMs ? kForever : nowMs + program.runMs;
    record.exitCode = program.exitCode;
    record.openHandles = 2;
    std::size_t index = created.size();
    created.push_back(record);

    UINT_PTR process = nextHandle_;
    UINT_PTR thread = nextHandle_ + 4;
    nextHandle_ += 8;
    handles_[process] = {index, false};
    handles_[thread] = {index, true};
    info->hProcess = reinterpret_cast<HANDLE>(process);
    info->hThread = reinterpret_cast<HANDLE>(thread);
    info->dwProcessId = static_cast<DWORD>(0x100 + 8 * index);
    info->dwThreadId = static_cast<DWORD>(0x104 + 8 * index);
    if (program.onStart) {
        program.onStart(machine);
    }
    return TRUE;
}

// Returns as soon as the process ends, else after the slice; a waiting thread takes no time.
DWORD Processes::Wait(HANDLE handle, DWORD milliseconds) {
    auto found = handles_.find(reinterpret_cast<UINT_PTR>(handle));
    if (found == handles_.end()) {
        TheMachine().lastError = ERROR_INVALID_HANDLE;
        return WAIT_FAILED;
    }
    std::uint64_t end = created[found->second.index].endMs;
    if (end <= nowMs) {
        return WAIT_OBJECT_0;
    }
    if (milliseconds == INFINITE && end == kForever) {
        throw std::logic_error("INFINITE wait for a process that never ends");
    }
    if (milliseconds == INFINITE || end - nowMs <= milliseconds) {
        nowMs = end;
        return WAIT_OBJECT_0;
    }
    nowMs += milliseconds;
    return WAIT_TIMEOUT;
}

BOOL Processes::ExitCode(HANDLE process, LPDWORD exitCode) {
    auto found = handles_.find(reinterpret_cast<UINT_PTR>(process));
    if (found == handles_.end() || found->second.thread) {
        TheMachine().lastError = ERROR_INVALID_HANDLE;
        return FALSE;
    }
    if (exitCode == nullptr) {
        TheMachine().lastError = ERROR_INVALID_PARAMETER;
        return FALSE;
    }
    std::size_t index = found->second.index;
    *exitCode = IsRunning(index) ? static_cast<DWORD>(STILL_ACTIVE) : created[index].exitCode;
    return TRUE;
}

BOOL Processes::Close(HANDLE handle) {
    auto found = handles_.find(reinterpret_cast<UINT_PTR>(handle));
    if (found == handles_.end()) {
        TheMachine().lastError = ERROR_INVALID_HANDLE;
        return FALSE;
    }
    --created[found->second.index].openHandles;
    handles_.erase(found);
    return TRUE;
}

}  // namespace host
