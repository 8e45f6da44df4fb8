// szddpack: compresses a file into SZDD with the smallest encoding the format allows, or expands
// one.
#include "Szdd.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f != nullptr) {
            std::fclose(f);
        }
    }
};

bool ReadWholeFile(const char* path, std::vector<std::uint8_t>& bytes, std::string& error) {
    std::FILE* raw = std::fopen(path, "rb");
    if (raw == nullptr) {
        error = std::string("cannot read ") + path + ": " + std::strerror(errno);
        return false;
    }
    std::unique_ptr<std::FILE, FileCloser> file(raw);
    bytes.clear();
    std::uint8_t chunk[1 << 16];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, raw)) > 0) {
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    if (std::ferror(raw)) {
        error = std::string("cannot read ") + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool WriteWholeFile(const char* path, const std::vector<std::uint8_t>& bytes, std::string& error) {
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) {
        error = std::string("cannot write ") + path + ": " + std::strerror(errno);
        return false;
    }
    const bool written =
        bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const int savedErrno = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        error = std::string("cannot write ") + path + ": " +
                std::strerror(written ? errno : savedErrno);
        std::remove(path);  // leave no partial output behind
        return false;
    }
    return true;
}

bool ExpandFile(const char* in, const std::vector<std::uint8_t>& packed,
                std::vector<std::uint8_t>& out, std::string& error) {
    const szdd::ExpandStatus status = szdd::Expand(packed.data(), packed.size(), out);
    szdd::Header header{};
    switch (status) {
        case szdd::ExpandStatus::Ok:
            break;
        case szdd::ExpandStatus::NotSzdd:
            error = std::string(in) + ": not an SZDD file (no magic or short header)";
            return false;
        case szdd::ExpandStatus::BadMode:
            szdd::ReadHeader(packed.data(), packed.size(), header);
            error = std::string(in) + ": unsupported compression mode 0x" +
                    "0123456789ABCDEF"[header.mode >> 4] + "0123456789ABCDEF"[header.mode & 15];
            return false;
        case szdd::ExpandStatus::Truncated:
            error = std::string(in) + ": truncated stream (a match is cut short after " +
                    std::to_string(out.size()) + " bytes)";
            return false;
    }
    szdd::ReadHeader(packed.data(), packed.size(), header);
    if (out.size() < header.expandedLength) {
        error = std::string(in) + ": truncated stream (" + std::to_string(out.size()) +
                " bytes expanded, the header gives " + std::to_string(header.expandedLength) + ")";
        return false;
    }
    return true;
}

int Usage() {
    std::fputs("usage: szddpack compress IN OUT\n       szddpack expand IN OUT\n", stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        return Usage();
    }
    const std::string command = argv[1];
    if (command != "compress" && command != "expand") {
        return Usage();
    }
    std::string error;
    std::vector<std::uint8_t> input;
    std::vector<std::uint8_t> output;
    bool ok = ReadWholeFile(argv[2], input, error);
    if (ok && command == "compress") {
        output = szdd::Compress(input.data(), input.size());
        if (output.empty()) {
            error = std::string(argv[2]) + ": too large for SZDD (at most 4 GiB - 1 bytes)";
            ok = false;
        }
    } else if (ok) {
        ok = ExpandFile(argv[2], input, output, error);
    }
    ok = ok && WriteWholeFile(argv[3], output, error);
    if (!ok) {
        std::fprintf(stderr, "szddpack: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
