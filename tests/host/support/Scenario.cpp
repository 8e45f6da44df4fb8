#include "support/Scenario.h"

#include <fstream>
#include <iterator>

#include "app/resource.h"

std::vector<std::string> MessageTexts(const host::Machine& machine) {
    std::vector<std::string> texts;
    for (const host::MessageBoxRecord& box : machine.ui.messageBoxes) {
        texts.push_back(box.text);
    }
    return texts;
}

host::Window* InstallWindow(host::Machine& machine) {
    return machine.ui.Find(machine.ui.lastDialog);
}

std::vector<std::pair<std::uint64_t, int>> FramesSent(host::Machine& machine) {
    std::vector<std::pair<std::uint64_t, int>> frames;
    host::Window* icon = machine.ui.Control(machine.ui.lastDialog, IDC_PROGRESS_ICON);
    for (const host::SentMessage& sent : machine.ui.sent) {
        if (icon != nullptr && sent.to == icon->handle && sent.message == STM_SETICON) {
            frames.emplace_back(sent.timeMs,
                                machine.ui.IconId(reinterpret_cast<HICON>(sent.wParam)));
        }
    }
    return frames;
}

std::vector<BYTE> PayloadOriginal() {
    std::ifstream in(TOLVANE_PAYLOAD_ORIGINAL, std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
