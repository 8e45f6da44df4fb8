// Inputs and helpers shared by the SZDD codec tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

struct NamedInput {
    std::string name;
    Bytes bytes;
};

Bytes RandomBytes(std::uint32_t seed, std::size_t size);
Bytes TextBytes(const std::string& text);

// A real PE file from the system when one is installed, otherwise some native binary.
std::string SampleBinaryPath();

bool ReadFileBytes(const std::string& path, Bytes& bytes);
bool WriteFileBytes(const std::string& path, const Bytes& bytes);

// The table every round trip runs over.
std::vector<NamedInput> RoundTripInputs();

// A fresh directory under the system's temporary directory, removed with its files on destruction.
class ScratchDir {
  public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// True when a program of that name is on PATH.
bool HaveProgram(const std::string& name);

// Runs a shell command line; returns its exit status (-1 when it could not run).
int RunShell(const std::string& command);
