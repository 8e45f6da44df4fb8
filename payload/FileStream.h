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
    // True when the stream was open and everything written reached the file.
    bool Close() {
        if (stream_ == nullptr) {
            return false;
        }
        bool closed = fclose(stream_) == 0;
        stream_ = nullptr;
        return closed;
    }

private:
    FILE* stream_;
};
