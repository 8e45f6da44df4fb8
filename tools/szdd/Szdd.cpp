#include "Szdd.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace szdd {

namespace {

constexpr std::uint8_t kMagic[8] = {0x53, 0x5A, 0x44, 0x44, 0x88, 0xF0, 0x27, 0x33};
constexpr std::uint8_t kModeA = 'A';
constexpr std::size_t kWindow = 4096;
constexpr unsigned kRingMask = 0xFFF;
constexpr unsigned kFirstWrite = 0xFF0;
constexpr std::size_t kMinMatch = 3;
constexpr std::size_t kMaxMatch = 18;

// Finds, for every position, the longest match (capped at kMaxMatch) that starts in the 4096 bytes
// before it. Binary trees over the window keyed by the next 18 bytes, one tree per first byte: the
// longest common prefix with any key lies on the search path, so each search is exact. A key equal
// to the new one in all 18 bytes is replaced by it, being the farther of the two. The trees are
// treaps with priorities hashed from the position: input in sorted order (tables of counters)
// would otherwise grow them into lists thousands deep.
class MatchTree {
  public:
    explicit MatchTree(const std::uint8_t* text) : text_(text) {
        std::fill(std::begin(roots_), std::end(roots_), kNil);
        std::fill(std::begin(parent_), std::end(parent_), kNil);
    }

    // Inserts pos (which must have kMaxMatch bytes after it) and returns the longest match found.
    std::size_t Insert(std::size_t pos, std::size_t& matchPos) {
        const std::size_t slot = Slot(pos);
        left_[slot] = right_[slot] = kNil;
        std::size_t best = 0;
        std::size_t parentPos = kRootParent;
        std::size_t* link = &roots_[text_[pos]];
        while (*link != kNil) {
            const std::size_t other = *link;
            std::size_t k = 1;
            while (k < kMaxMatch && text_[pos + k] == text_[other + k]) {
                ++k;
            }
            if (k > best) {
                best = k;
                matchPos = other;
            }
            if (k == kMaxMatch) {
                Replace(other, pos, link);
                return best;
            }
            parentPos = other;
            link = text_[pos + k] < text_[other + k] ? &left_[Slot(other)] : &right_[Slot(other)];
        }
        *link = pos;
        parent_[slot] = parentPos;
        priority_[slot] = Priority(pos);
        while (parent_[slot] != kRootParent && priority_[Slot(parent_[slot])] < priority_[slot]) {
            RotateUp(pos);
        }
        return best;
    }

    // Longest match for pos among the keys, comparing at most limit (< kMaxMatch) bytes.
    std::size_t Find(std::size_t pos, std::size_t limit, std::size_t& matchPos) const {
        std::size_t best = 0;
        std::size_t node = roots_[text_[pos]];
        while (node != kNil) {
            std::size_t k = 1;
            while (k < limit && text_[pos + k] == text_[node + k]) {
                ++k;
            }
            if (k > best) {
                best = k;
                matchPos = node;
            }
            if (k == limit) {
                break;
            }
            node = text_[pos + k] < text_[node + k] ? left_[Slot(node)] : right_[Slot(node)];
        }
        return best;
    }

    void Remove(std::size_t pos) {
        const std::size_t slot = Slot(pos);
        if (parent_[slot] == kNil) {
            return;  // already replaced by an equal key
        }
        // Rotate it down, keeping the heap order, until it is a leaf.
        while (left_[slot] != kNil || right_[slot] != kNil) {
            const std::size_t l = left_[slot];
            const std::size_t r = right_[slot];
            const bool takeLeft =
                r == kNil || (l != kNil && priority_[Slot(l)] > priority_[Slot(r)]);
            RotateUp(takeLeft ? l : r);
        }
        *LinkTo(pos) = kNil;
        parent_[slot] = kNil;
    }

  private:
    static constexpr std::size_t kNil = static_cast<std::size_t>(-1);
    static constexpr std::size_t kRootParent = static_cast<std::size_t>(-2);
    // Twice the window: a slot is free again long before its position comes round.
    static constexpr std::size_t kSlots = 2 * kWindow;

    static std::size_t Slot(std::size_t pos) { return pos & (kSlots - 1); }

    std::size_t* LinkTo(std::size_t pos) {
        const std::size_t up = parent_[Slot(pos)];
        if (up == kRootParent) {
            return &roots_[text_[pos]];
        }
        return left_[Slot(up)] == pos ? &left_[Slot(up)] : &right_[Slot(up)];
    }

    static std::uint32_t Priority(std::size_t pos) {
        std::uint64_t z = pos + 0x9E3779B97F4A7C15ull;  // splitmix64's finaliser
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return static_cast<std::uint32_t>(z ^ (z >> 31));
    }

    // Moves node above its parent, keeping the key order.
    void RotateUp(std::size_t node) {
        const std::size_t slot = Slot(node);
        const std::size_t up = parent_[slot];
        const std::size_t upSlot = Slot(up);
        std::size_t* link = LinkTo(up);
        if (left_[upSlot] == node) {
            left_[upSlot] = right_[slot];
            right_[slot] = up;
            if (left_[upSlot] != kNil) {
                parent_[Slot(left_[upSlot])] = up;
            }
        } else {
            right_[upSlot] = left_[slot];
            left_[slot] = up;
            if (right_[upSlot] != kNil) {
                parent_[Slot(right_[upSlot])] = up;
            }
        }
        parent_[slot] = parent_[upSlot];
        parent_[upSlot] = node;
        *link = node;
    }

    void Replace(std::size_t old, std::size_t pos, std::size_t* link) {
        const std::size_t oldSlot = Slot(old);
        const std::size_t slot = Slot(pos);
        left_[slot] = left_[oldSlot];
        right_[slot] = right_[oldSlot];
        parent_[slot] = parent_[oldSlot];
        priority_[slot] = priority_[oldSlot];
        if (left_[slot] != kNil) {
            parent_[Slot(left_[slot])] = pos;
        }
        if (right_[slot] != kNil) {
            parent_[Slot(right_[slot])] = pos;
        }
        *link = pos;
        parent_[oldSlot] = kNil;
    }

    const std::uint8_t* text_;
    std::size_t roots_[256];
    std::size_t left_[kSlots];
    std::size_t right_[kSlots];
    std::size_t parent_[kSlots];
    std::uint32_t priority_[kSlots];
};

struct Match {
    std::uint16_t distance;  // 1..4096
    std::uint8_t length;     // 0 when no match of kMinMatch bytes exists
};

// text is 4096 spaces (the pre-filled ring) followed by the input.
std::vector<Match> FindLongestMatches(const std::vector<std::uint8_t>& text, std::size_t size) {
    std::vector<Match> matches(size, Match{0, 0});
    auto tree = std::make_unique<MatchTree>(text.data());
    const std::size_t end = text.size();
    // Keys before kWindow - kMaxMatch are 18 spaces, like the key there, which would replace them.
    std::size_t pos = kWindow - kMaxMatch;
    for (; pos + kMaxMatch <= end; ++pos) {
        if (pos > kWindow) {
            tree->Remove(pos - kWindow - 1);
        }
        std::size_t matchPos = 0;
        const std::size_t length = tree->Insert(pos, matchPos);
        if (pos >= kWindow && length >= kMinMatch) {
            matches[pos - kWindow] = Match{static_cast<std::uint16_t>(pos - matchPos),
                                           static_cast<std::uint8_t>(length)};
        }
    }
    // The last few positions have fewer than kMaxMatch bytes left: they are searched in the tree
    // but not inserted, and the positions since the last insertion are compared directly.
    const std::size_t firstUninserted = pos;
    for (pos = std::max(pos, kWindow); pos < end; ++pos) {
        if (pos > kWindow) {
            tree->Remove(pos - kWindow - 1);
        }
        const std::size_t limit = end - pos;
        std::size_t matchPos = 0;
        std::size_t length = tree->Find(pos, limit, matchPos);
        for (std::size_t from = std::max(firstUninserted, pos - kWindow); from < pos; ++from) {
            std::size_t k = 0;
            while (k < limit && text[from + k] == text[pos + k]) {
                ++k;
            }
            if (k > length) {
                length = k;
                matchPos = from;
            }
        }
        if (length >= kMinMatch) {
            matches[pos - kWindow] = Match{static_cast<std::uint16_t>(pos - matchPos),
                                           static_cast<std::uint8_t>(length)};
        }
    }
    return matches;
}

constexpr std::size_t kFlagItems = 8;

// Chooses, for every position and every count of items already under the current flag byte, the
// item (literal = 1, or a match length) that leads to the fewest bytes for the rest of the input.
// Any length from 3 to the longest match is available at the longest match's distance. Returns
// the choices, kFlagItems per position.

std::vector<std::uint8_t> ChooseItems(const std::vector<Match>& matches) {
    const std::size_t size = matches.size();
    std::vector<std::uint8_t> choice(size * kFlagItems);
    // Costs of the rest from positions pos .. pos + kMaxMatch, a rolling window of rows.
    constexpr std::size_t kRows = 32;
    std::uint64_t cost[kRows][kFlagItems] = {};
    for (std::size_t pos = size; pos-- > 0;) {
        const std::uint64_t* next = cost[(pos + 1) % kRows];
        std::uint64_t best[kFlagItems];
        std::uint8_t bestItem[kFlagItems];
        for (std::size_t k = 0; k < kFlagItems; ++k) {
            best[k] = 1 + next[k];
            bestItem[k] = 1;
        }
        const std::size_t longest = matches[pos].length;
        for (std::size_t length = kMinMatch; length <= longest; ++length) {
            const std::uint64_t* after = cost[(pos + length) % kRows];
            for (std::size_t k = 0; k < kFlagItems; ++k) {
                const std::uint64_t c = 2 + after[k];
                if (c <= best[k]) {  // ties go to the longer item: fewer to expand
                    best[k] = c;
                    bestItem[k] = static_cast<std::uint8_t>(length);
                }
            }
        }
        std::uint64_t* row = cost[pos % kRows];
        for (std::size_t k = 0; k < kFlagItems; ++k) {
            const std::size_t nextK = (k + 1) % kFlagItems;
            row[k] = (k == 0 ? 1 : 0) + best[nextK];
            choice[pos * kFlagItems + k] = bestItem[nextK];
        }
    }
    return choice;
}

void WriteHeader(std::uint8_t* header, std::uint8_t missingChar, std::size_t size) {
    std::memcpy(header, kMagic, sizeof kMagic);
    header[8] = kModeA;
    header[9] = missingChar;
    const auto length = static_cast<std::uint32_t>(size);
    for (int i = 0; i < 4; ++i) {
        header[10 + i] = static_cast<std::uint8_t>(length >> (8 * i));
    }
}

}  // namespace

bool HasMagic(const std::uint8_t* data, std::size_t size) {
    return size >= sizeof kMagic && std::memcmp(data, kMagic, sizeof kMagic) == 0;
}

bool ReadHeader(const std::uint8_t* data, std::size_t size, Header& header) {
    if (size < kHeaderSize || !HasMagic(data, size)) {
        return false;
    }
    header.mode = data[8];
    header.missingChar = data[9];
    header.expandedLength =
        static_cast<std::uint32_t>(data[10]) | static_cast<std::uint32_t>(data[11]) << 8 |
        static_cast<std::uint32_t>(data[12]) << 16 | static_cast<std::uint32_t>(data[13]) << 24;
    return true;
}

ExpandStatus Expand(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out) {
    out.clear();
    Header header;
    if (!ReadHeader(data, size, header)) {
        return ExpandStatus::NotSzdd;
    }
    if (header.mode != kModeA) {
        return ExpandStatus::BadMode;
    }
    const std::uint8_t* in = data + kHeaderSize;
    const std::uint8_t* const end = data + size;
    // Two input bytes give at most 18 output bytes: a header claiming more cannot make us allocate
    // more than the stream could produce.
    const std::size_t streamLimit = (size - kHeaderSize) * (kMaxMatch / 2);
    std::size_t capacity = std::min<std::size_t>(header.expandedLength, streamLimit) + kMaxMatch;
    out.resize(capacity);
    std::uint8_t* o = out.data();
    std::size_t n = 0;

    std::uint8_t ring[kWindow];
    std::memset(ring, ' ', sizeof ring);
    unsigned w = kFirstWrite;
    ExpandStatus status = ExpandStatus::Ok;
    unsigned flags = 1;  // a set bit above the flag bits marks when the byte is used up
    while (in != end) {
        if (flags == 1) {
            flags = *in++ | 0x100u;
            continue;
        }
        if (n + kMaxMatch > capacity) {
            capacity *= 2;
            out.resize(capacity);
            o = out.data();
        }
        if (flags & 1) {
            const std::uint8_t c = *in++;
            ring[w] = c;
            w = (w + 1) & kRingMask;
            o[n++] = c;
        } else {
            if (end - in < 2) {
                status = ExpandStatus::Truncated;
                break;
            }
            unsigned p = in[0] | (in[1] & 0xF0u) << 4;
            const unsigned length = (in[1] & 0x0Fu) + kMinMatch;
            in += 2;
            // Byte by byte: overlapping copies repeat what was just written, and a match at the
            // write position itself reads each old byte before replacing it.
            for (unsigned k = 0; k < length; ++k) {
                const std::uint8_t c = ring[p];
                ring[w] = c;
                o[n++] = c;
                p = (p + 1) & kRingMask;
                w = (w + 1) & kRingMask;
            }
        }
        flags >>= 1;
    }
    out.resize(n);
    return status;
}

std::vector<std::uint8_t> Compress(const std::uint8_t* data, std::size_t size,
                                   std::uint8_t missingChar) {
    if (size > UINT32_MAX) {
        return {};  // the header cannot record the length
    }
    std::vector<std::uint8_t> out(kHeaderSize);
    WriteHeader(out.data(), missingChar, size);
    if (size == 0) {
        return out;
    }
    std::vector<std::uint8_t> text;
    text.resize(kWindow + size, ' ');
    std::copy(data, data + size, text.data() + kWindow);
    const std::vector<Match> matches = FindLongestMatches(text, size);
    const std::vector<std::uint8_t> choice = ChooseItems(matches);
    std::size_t flagAt = 0;
    for (std::size_t pos = 0, k = 0; pos < size; k = (k + 1) % kFlagItems) {
        if (k == 0) {
            flagAt = out.size();
            out.push_back(0);
        }
        const std::size_t length = choice[pos * kFlagItems + k];
        if (length == 1) {
            out[flagAt] |= static_cast<std::uint8_t>(1u << k);
            out.push_back(data[pos]);
        } else {
            // Ring position of the source: text index + first write position, modulo the ring.
            const std::size_t from = pos + kWindow - matches[pos].distance;
            const unsigned ringPos = static_cast<unsigned>((from + kFirstWrite) & kRingMask);
            out.push_back(static_cast<std::uint8_t>(ringPos));
            out.push_back(static_cast<std::uint8_t>((ringPos >> 4 & 0xF0u) | (length - kMinMatch)));
        }
        pos += length;
    }
    return out;
}

}  // namespace szdd
