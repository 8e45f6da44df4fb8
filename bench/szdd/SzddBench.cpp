// Measurements for bench/run-szdd.sh:
//   szdd_bench expand-ours FILE.sz     expands once in BenchExpandOurs (for callgrind)
//   szdd_bench expand-mspack FILE.sz   expands once in BenchExpandMspack (for callgrind)
//   szdd_bench speed FILE.sz           MB/s of both expanders, best of several runs
//   szdd_bench pack FILE               seconds to pack FILE, best of three, and the packed size
#include "MspackSzdd.h"
#include "Szdd.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

bool ReadAll(const char* path, Bytes& bytes) {
    std::FILE* f = std::fopen(path, "rb");
    if (f == nullptr) {
        return false;
    }
    std::uint8_t chunk[1 << 16];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    std::fclose(f);
    return true;
}

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

}  // namespace

// Separate, uninlined entry points so that callgrind can count them alone.
extern "C" __attribute__((noinline)) std::size_t BenchExpandOurs(const Bytes& in, Bytes& out) {
    szdd::Expand(in.data(), in.size(), out);
    return out.size();
}

extern "C" __attribute__((noinline)) std::size_t BenchExpandMspack(const Bytes& in, Bytes& out) {
    MspackExpand(in.data(), in.size(), out);
    return out.size();
}

namespace {

template <typename Expander>
double BestMegabytesPerSecond(const Bytes& in, Expander expand) {
    double best = 0;
    for (int run = 0; run < 15; ++run) {
        Bytes out;  // fresh memory each time, as the product expands into a new file
        const auto start = std::chrono::steady_clock::now();
        const std::size_t n = expand(in, out);
        const double s = Seconds(std::chrono::steady_clock::now() - start);
        best = std::max(best, static_cast<double>(n) / 1e6 / s);
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: szdd_bench expand-ours|expand-mspack|speed|pack FILE\n", stderr);
        return 2;
    }
    Bytes in;
    if (!ReadAll(argv[2], in)) {
        std::fprintf(stderr, "szdd_bench: cannot read %s\n", argv[2]);
        return 1;
    }
    Bytes out;
    if (std::strcmp(argv[1], "expand-ours") == 0) {
        std::printf("%zu\n", BenchExpandOurs(in, out));
    } else if (std::strcmp(argv[1], "expand-mspack") == 0) {
        std::printf("%zu\n", BenchExpandMspack(in, out));
    } else if (std::strcmp(argv[1], "speed") == 0) {
        std::printf("%.0f %.0f\n", BestMegabytesPerSecond(in, BenchExpandOurs),
                    BestMegabytesPerSecond(in, BenchExpandMspack));
    } else if (std::strcmp(argv[1], "pack") == 0) {
        double best = 1e9;
        std::size_t size = 0;
        for (int run = 0; run < 3; ++run) {
            const auto start = std::chrono::steady_clock::now();
            size = szdd::Compress(in.data(), in.size()).size();
            best = std::min(best, Seconds(std::chrono::steady_clock::now() - start));
        }
        std::printf("%.3f %zu\n", best, size);
    } else {
        std::fprintf(stderr, "szdd_bench: unknown mode %s\n", argv[1]);
        return 2;
    }
    return 0;
}
