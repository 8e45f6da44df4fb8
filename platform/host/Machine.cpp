#include "Machine.h"

#include <memory>

namespace host {

namespace {

std::unique_ptr<Machine>& Current() {
    static std::unique_ptr<Machine> machine;
    return machine;
}

}  // namespace

Machine::Machine() {
    ui.sysColors[COLOR_BTNTEXT] = RGB(0, 0, 0);
    ui.sysColors[COLOR_BTNSHADOW] = RGB(128, 128, 128);
    ui.sysColors[COLOR_BTNFACE] = RGB(192, 192, 192);
    ui.sysColors[COLOR_BTNHIGHLIGHT] = RGB(255, 255, 255);
}

void Machine::FailCall(const std::string& api, int nth, int mode) {
    faults_[api].push_back({nth, mode});
}

int Machine::Enter(const char* api, const std::string& args) {
    calls.push_back({api, args});
    int n = ++counts_[api];
    auto found = faults_.find(api);
    if (found == faults_.end()) {
        return -1;
    }
    for (const Fault& fault : found->second) {
        if (fault.nth == n) {
            return fault.mode;
        }
    }
    return -1;
}

int Machine::CallCount(const std::string& api) const {
    auto found = counts_.find(api);
    return found == counts_.end() ? 0 : found->second;
}

void Machine::RunExitFunctions() {
    while (!exitFunctions.empty()) {
        void (*function)() = exitFunctions.back();
        exitFunctions.pop_back();
        function();
    }
}

std::string Arg(LPCSTR text) {
    if (text == nullptr) {
        return "NULL";
    }
    if (IS_INTRESOURCE(text)) {
        return "#" + std::to_string(reinterpret_cast<UINT_PTR>(text));
    }
    return std::string("\"") + text + "\"";
}

std::string Hex(UINT_PTR value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "0x%llx", static_cast<unsigned long long>(value));
    return buffer;
}

Machine& TheMachine() {
    std::unique_ptr<Machine>& machine = Current();
    if (!machine) {
        machine = std::make_unique<Machine>();
    }
    return *machine;
}

Machine& NewMachine() {
    std::unique_ptr<Machine>& machine = Current();
    machine = std::make_unique<Machine>();
#ifdef TOLVANE_RES_FILE
    static Resources loaded;
    static bool ready = loaded.LoadResFile(TOLVANE_RES_FILE);
    if (ready) {
        machine->resources = loaded;
    }
#endif
    return *machine;
}

}  // namespace host
