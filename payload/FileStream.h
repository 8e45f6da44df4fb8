#pragma once
// Owner of one C runtime file stream: closed on every way out of its scope.
#include "../platform/win32.h"

class FileStream {
public:
    FileStream(LPCSTR path, LPCSTR mode) : stream_(fopen(path, mode)) {}
    ~FileStream() { Close(); }
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;

    bool IsOpen() const { return stream_ != nullptr; }
    // One write of one item of `size` bytes; the number of items written.
    std::size_t WriteItem(const void* data, std::size_t size) const {
        return fwrite(data, size, 1, stream_);
    }
    void Close() {
        if (stream_ != nullptr) {
            fclose(stream_);
            stream_ = nullptr;
        }
    }

private:
    FILE* stream_;
};
