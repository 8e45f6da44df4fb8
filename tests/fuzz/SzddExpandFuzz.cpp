// libFuzzer target: the expander on any input. Besides the sanitizers' checks, the output stays
// within what the stream can produce, and what comes out packs and expands back unchanged.
#include "Szdd.h"

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> out;
    const szdd::ExpandStatus status = szdd::Expand(data, size, out);
    if (status == szdd::ExpandStatus::NotSzdd || status == szdd::ExpandStatus::BadMode) {
        if (!out.empty()) {
            std::abort();
        }
        return 0;
    }
    // One literal per input byte at least, 18 bytes per two-byte match at most.
    if (out.size() > (size - szdd::kHeaderSize) * 9) {
        std::abort();
    }
    if (out.size() <= 4096) {
        const std::vector<std::uint8_t> packed = szdd::Compress(out.data(), out.size());
        std::vector<std::uint8_t> again;
        if (szdd::Expand(packed.data(), packed.size(), again) != szdd::ExpandStatus::Ok ||
            again != out) {
            std::abort();
        }
    }
    return 0;
}
