#include "SzddTestData.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <sys/wait.h>

namespace fs = std::filesystem;

Bytes RandomBytes(std::uint32_t seed, std::size_t size) {
    std::mt19937 rng(seed);
    Bytes bytes(size);
    for (auto& b : bytes) {
        b = static_cast<std::uint8_t>(rng() >> 24);
    }
    return bytes;
}

Bytes TextBytes(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

std::string SampleBinaryPath() {
    const char* candidates[] = {
        "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/notepad.exe",
        "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/cabinet.dll",
        "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/shlwapi.dll",
    };
    std::error_code ec;
    for (const char* path : candidates) {
        if (fs::is_regular_file(path, ec)) {
            return path;
        }
    }
    return "/proc/self/exe";
}

bool ReadFileBytes(const std::string& path, Bytes& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) {
        return false;
    }
    bytes.clear();
    std::uint8_t chunk[1 << 16];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    const bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

bool WriteFileBytes(const std::string& path, const Bytes& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        return false;
    }
    const bool written =
        bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && written;
}

std::vector<NamedInput> RoundTripInputs() {
    std::vector<NamedInput> inputs;
    inputs.push_back({"empty", {}});
    inputs.push_back({"one byte", {0x41}});
    inputs.push_back({"one space", {0x20}});
    inputs.push_back({"18 spaces", Bytes(18, 0x20)});
    Bytes spaces(5000, 0x20);
    const Bytes tail = TextBytes("  and then some text after the spaces, spaces, spaces.");
    spaces.insert(spaces.end(), tail.begin(), tail.end());
    inputs.push_back({"5000 spaces then text", spaces});
    Bytes all(256);
    for (int i = 0; i < 256; ++i) {
        all[i] = static_cast<std::uint8_t>(i);
    }
    inputs.push_back({"all 256 byte values", all});
    Bytes allRepeated;
    for (int r = 0; r < 40; ++r) {
        allRepeated.insert(allRepeated.end(), all.begin(), all.end());
    }
    inputs.push_back({"256 values 40 times (distance 256, wraps the ring)", allRepeated});
    inputs.push_back({"70000 zero bytes", Bytes(70000, 0)});
    inputs.push_back({"random 100000", RandomBytes(7, 100000)});
    Bytes text;
    for (int i = 0; i < 3000; ++i) {
        const Bytes line = TextBytes("line " + std::to_string(i * 37 % 1000) + ": lorem ipsum\r\n");
        text.insert(text.end(), line.begin(), line.end());
    }
    inputs.push_back({"text lines", text});
    Bytes binary;
    if (ReadFileBytes(SampleBinaryPath(), binary)) {
        inputs.push_back({"binary " + SampleBinaryPath(), binary});
    }
    return inputs;
}

ScratchDir::ScratchDir() {
    std::string pattern = (fs::temp_directory_path() / "szdd-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) {
        path_ = pattern;
    }
}

ScratchDir::~ScratchDir() {
    if (!path_.empty()) {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
}

bool HaveProgram(const std::string& name) {
    return RunShell("command -v " + name + " >/dev/null 2>&1") == 0;
}

int RunShell(const std::string& command) {
    const int status = std::system(command.c_str());
    if (status == -1 || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}
