#include "MspackSzdd.h"

#ifdef TOLVANE_HAVE_MSPACK

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include <mspack.h>

namespace {

// The "file names" handed to libmspack are addresses of these.
struct MemoryFile {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t pos;
    std::vector<std::uint8_t>* sink;
};

MemoryFile* AsMemory(mspack_file* file) {
    return reinterpret_cast<MemoryFile*>(file);
}

mspack_file* Open(mspack_system*, const char* name, int) {
    auto* file = reinterpret_cast<MemoryFile*>(const_cast<char*>(name));
    file->pos = 0;
    return reinterpret_cast<mspack_file*>(file);
}

void Close(mspack_file*) {}

int Read(mspack_file* handle, void* buffer, int bytes) {
    MemoryFile* file = AsMemory(handle);
    if (bytes < 0) {
        return -1;
    }
    const std::size_t count = std::min(static_cast<std::size_t>(bytes), file->size - file->pos);
    if (count > 0) {
        std::memcpy(buffer, file->data + file->pos, count);
    }
    file->pos += count;
    return static_cast<int>(count);
}

int Write(mspack_file* handle, void* buffer, int bytes) {
    MemoryFile* file = AsMemory(handle);
    if (bytes < 0 || file->sink == nullptr) {
        return -1;
    }
    const auto* begin = static_cast<const std::uint8_t*>(buffer);
    file->sink->insert(file->sink->end(), begin, begin + bytes);
    return bytes;
}

int Seek(mspack_file* handle, off_t offset, int mode) {
    MemoryFile* file = AsMemory(handle);
    const off_t base = mode == MSPACK_SYS_SEEK_START ? 0
                       : mode == MSPACK_SYS_SEEK_CUR ? static_cast<off_t>(file->pos)
                                                     : static_cast<off_t>(file->size);
    const off_t target = base + offset;
    if (target < 0 || target > static_cast<off_t>(file->size)) {
        return -1;
    }
    file->pos = static_cast<std::size_t>(target);
    return 0;
}

off_t Tell(mspack_file* handle) {
    return static_cast<off_t>(AsMemory(handle)->pos);
}

void Message(mspack_file*, const char*, ...) {}

void* Alloc(mspack_system*, std::size_t bytes) {
    return std::malloc(bytes);
}

void Free(void* ptr) {
    std::free(ptr);
}

void Copy(void* src, void* dest, std::size_t bytes) {
    std::memmove(dest, src, bytes);
}

mspack_system memorySystem = {Open,    Close, Read, Write, Seek,   Tell,
                              Message, Alloc, Free, Copy,  nullptr};

}  // namespace

bool MspackAvailable() {
    return true;
}

int MspackExpand(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out) {
    out.clear();
    MemoryFile in{data, size, 0, nullptr};
    MemoryFile sink{nullptr, 0, 0, &out};
    msszdd_decompressor* d = mspack_create_szdd_decompressor(&memorySystem);
    if (d == nullptr) {
        return MSPACK_ERR_NOMEMORY;
    }
    const int result =
        d->decompress(d, reinterpret_cast<const char*>(&in), reinterpret_cast<const char*>(&sink));
    mspack_destroy_szdd_decompressor(d);
    return result;
}

#else

bool MspackAvailable() {
    return false;
}

int MspackExpand(const std::uint8_t*, std::size_t, std::vector<std::uint8_t>& out) {
    out.clear();
    return -1;
}

#endif
