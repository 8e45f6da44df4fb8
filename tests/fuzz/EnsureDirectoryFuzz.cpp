// EnsureDirectory against a random simulated drive: the input chooses the layout (directories,
// files, read-only places, the code page), the directory text and the answer to the question.
// Afterwards every directory the journal recorded existed, and its rollback gives back the
// file system as it was before the call.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/resource.h"
#include "install/UndoJournal.h"
#include "paths/DirectoryCreation.h"
#include "support/InstallerRun.h"

namespace {

// Names a layout and a text are built from: ordinary, case variants, a device, dots and
// spaces, a double-byte character whose trail byte is a backslash in code page 932.
const char* const kNames[] = {
    "a", "A",      "b",        "Tolvane", "x y",    "CON",  "nul.txt", "..",
    ".", "name. ", "\x83\x5C", "\x83",    "ab\x81", "LPT1", "COM9",    "longer-component-name"};
const char* const kSeparators[] = {"\\", "/", "\\\\"};

std::string Component(FuzzedDataProvider& in) {
    return kNames[in.ConsumeIntegralInRange<std::size_t>(0, sizeof kNames / sizeof *kNames - 1)];
}

std::string Separator(FuzzedDataProvider& in) {
    return kSeparators[in.ConsumeIntegralInRange<std::size_t>(0, 2)];
}

// A path on C: or D: of one to five components; `repeat` pads it towards the path limits.
std::string LayoutPath(FuzzedDataProvider& in) {
    std::string path = in.ConsumeBool() ? "C:" : "D:";
    int depth = in.ConsumeIntegralInRange(1, 5);
    for (int i = 0; i < depth; ++i) {
        path += "\\" + Component(in);
    }
    return path;
}

std::string DirectoryText(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange(0, 3)) {
        case 0:
            return in.ConsumeRandomLengthString(400);
        case 1: {
            // A deep chain: long enough to reach the path limits and the journal's capacity.
            std::string text = in.ConsumeBool() ? "D:" : "C:";
            int depth = in.ConsumeIntegralInRange(1, 130);
            std::string name = Component(in);
            for (int i = 0; i < depth; ++i) {
                text += Separator(in) + (in.ConsumeBool() ? name : Component(in));
            }
            return text;
        }
        default: {
            static const char* const kStarts[] = {"C:", "D:", "E:", "", "\\", "C:\\", "\\\\s\\h"};
            std::string text = kStarts[in.ConsumeIntegralInRange(0, 6)];
            int depth = in.ConsumeIntegralInRange(0, 6);
            for (int i = 0; i < depth; ++i) {
                text += Separator(in) + Component(in);
            }
            if (in.ConsumeBool()) {
                text += Separator(in);
            }
            return text;
        }
    }
}

void BuildLayout(FuzzedDataProvider& in, host::Machine& m) {
    int entries = in.ConsumeIntegralInRange(0, 12);
    std::vector<std::string> readOnly;
    for (int i = 0; i < entries; ++i) {
        int kind = in.ConsumeIntegralInRange(0, 3);
        std::string path = LayoutPath(in);
        try {
            if (kind == 2) {
                m.files.WriteFile(path, {'x'});
            } else {
                m.files.MakeDirectories(path);
                if (kind == 3) {
                    readOnly.push_back(path);
                }
            }
        } catch (const std::invalid_argument&) {
            // A file or a missing parent in the way: this entry is left out.
        }
    }
    // Read-only last, as the set-up calls ignore it anyway.
    for (const std::string& path : readOnly) {
        m.files.SetReadOnly(path);
    }
    if (in.ConsumeBool()) {
        m.files.SetReadOnly("D:\\");
    }
}

// The path argument of a logged call: its first quoted text.
std::string PathArgument(const std::string& args) {
    std::size_t end = args.rfind("\", ");
    if (args.size() < 2 || args[0] != '"') {
        return "";
    }
    return args.substr(1, (end == std::string::npos ? args.size() - 1 : end) - 1);
}

[[noreturn]] void Fail(const std::string& what, const std::string& text) {
    std::fprintf(stderr, "invariant broken: %s (text \"%s\")\n", what.c_str(), text.c_str());
    std::abort();
}

// The framework's message boxes take their caption from the application object, which exists
// after one run of the program: a run cancelled at once.
void StartApplicationOnce() {
    static bool started = false;
    if (!started) {
        host::Machine& first = StandardMachine();
        first.ui.Click(IDCANCEL);
        RunInstaller(first);
        started = true;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    StartApplicationOnce();
    FuzzedDataProvider in(data, size);
    host::Machine& m = StandardMachine();
    m.files.AddDrive('D');
    m.codePage = in.ConsumeBool() ? 932 : 1252;
    BuildLayout(in, m);
    const bool agree = in.ConsumeBool();
    const std::string text = DirectoryText(in);

    UndoJournal::Open();
    const std::string before = m.files.Dump();
    m.ui.autoAnswer = [agree](const host::MessageBoxRecord& box) {
        return (box.style & 0xF) == MB_OKCANCEL && !agree ? IDCANCEL : IDOK;
    };
    const std::size_t firstCall = m.calls.size();
    const bool exists = EnsureDirectory(text.c_str());

    // What stood at each path the program asked to create, right after the call.
    std::map<std::string, bool> createdNow;
    int questions = 0;
    for (std::size_t i = firstCall; i < m.calls.size(); ++i) {
        if (m.calls[i].api == "CreateDirectoryA") {
            const std::string path = PathArgument(m.calls[i].args);
            createdNow[path] = m.files.IsDirectory(path);
        }
    }
    for (const host::MessageBoxRecord& box : m.ui.messageBoxes) {
        questions += (box.style & 0xF) == MB_OKCANCEL ? 1 : 0;
    }
    const int records = UndoJournal::Count();
    const bool overflowed = records >= UndoJournal::kCapacity;
    if (questions > 1)
        Fail("asked more than once", text);
    if (records > 0 && (questions != 1 || !agree))
        Fail("created without the user's yes", text);
    if (!agree && m.files.Dump() != before)
        Fail("the file system changed after Cancel", text);
    if (exists && m.ui.messageBoxes.size() > static_cast<std::size_t>(questions))
        Fail("a warning on success", text);
    if (m.files.OpenFileCount() != 0)
        Fail("a file left open", text);

    const std::size_t rollbackFrom = m.calls.size();
    UndoJournal::Rollback();
    for (std::size_t i = rollbackFrom; i < m.calls.size(); ++i) {
        if (m.calls[i].api == "_rmdir") {
            auto found = createdNow.find(PathArgument(m.calls[i].args));
            if (found == createdNow.end())
                Fail("a record of a directory never created", text);
            if (!found->second)
                Fail("a recorded directory that did not exist", text);
        }
    }
    if (!overflowed && m.files.Dump() != before)
        Fail("the rollback left a change", text);
    if (UndoJournal::Count() != 0)
        Fail("records after the rollback", text);
    return 0;
}
