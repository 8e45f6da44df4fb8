#include "Resources.h"

#include <cctype>
#include <fstream>
#include <iterator>

namespace host {

namespace {

// Handle tags: each kind of resource handle lives in its own range, so handles never collide and
// can be mapped back to their resource id.
const UINT_PTR kIconTag = 0x00A00000;
const UINT_PTR kBitmapTag = 0x00B00000;
const UINT_PTR kSystemIconTag = 0x00D00000;
const UINT_PTR kSystemCursorTag = 0x00E00000;
const UINT_PTR kTagMask = 0xFFFF0000;

std::string Upper(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

class Reader {
  public:
    explicit Reader(const std::vector<BYTE>& bytes) : bytes_(bytes) {}
    bool Word(std::size_t at, WORD& out) const {
        if (at + 2 > bytes_.size()) {
            return false;
        }
        out = static_cast<WORD>(bytes_[at] | (bytes_[at + 1] << 8));
        return true;
    }
    bool Dword(std::size_t at, DWORD& out) const {
        WORD low = 0;
        WORD high = 0;
        if (!Word(at, low) || !Word(at + 2, high)) {
            return false;
        }
        out = static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16);
        return true;
    }
    // A type or name field: 0xFFFF and an ordinal, or a zero-terminated UTF-16 string.
    bool Id(std::size_t& at, ResId& out) const {
        WORD first = 0;
        if (!Word(at, first)) {
            return false;
        }
        if (first == 0xFFFF) {
            WORD number = 0;
            if (!Word(at + 2, number)) {
                return false;
            }
            out = ResId::Number(number);
            at += 4;
            return true;
        }
        std::string text;
        for (;;) {
            WORD c = 0;
            if (!Word(at, c)) {
                return false;
            }
            at += 2;
            if (c == 0) {
                break;
            }
            text += c < 0x100 ? static_cast<char>(c) : '?';
        }
        out.isNumber = false;
        out.number = 0;
        out.text = Upper(text);
        return true;
    }

  private:
    const std::vector<BYTE>& bytes_;
};

std::size_t Align4(std::size_t at) {
    return (at + 3) & ~static_cast<std::size_t>(3);
}

}  // namespace

ResId ResId::From(LPCSTR nameOrNumber) {
    if (IS_INTRESOURCE(nameOrNumber)) {
        return Number(LOWORD(reinterpret_cast<UINT_PTR>(nameOrNumber)));
    }
    std::string text = nameOrNumber;
    if (text.size() > 1 && text[0] == '#') {
        bool digits = true;
        unsigned long value = 0;
        for (std::size_t i = 1; i < text.size() && digits; ++i) {
            digits = std::isdigit(static_cast<unsigned char>(text[i])) != 0;
            value = value * 10 + static_cast<unsigned long>(text[i] - '0');
            digits = digits && value <= 0xFFFF;
        }
        if (digits) {
            return Number(static_cast<WORD>(value));
        }
    }
    ResId id;
    id.isNumber = false;
    id.text = Upper(text);
    return id;
}

ResId ResId::Number(WORD number) {
    ResId id;
    id.isNumber = true;
    id.number = number;
    return id;
}

bool ResId::operator==(const ResId& other) const {
    return isNumber == other.isNumber && (isNumber ? number == other.number : text == other.text);
}

std::string ResId::ToString() const {
    return isNumber ? std::to_string(number) : text;
}

bool Resources::LoadResFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::vector<BYTE> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return LoadResBytes(bytes);
}

bool Resources::LoadResBytes(const std::vector<BYTE>& bytes) {
    Reader reader(bytes);
    std::vector<ResEntry> entries;
    std::size_t at = 0;
    while (at < bytes.size()) {
        DWORD dataSize = 0;
        DWORD headerSize = 0;
        if (!reader.Dword(at, dataSize) || !reader.Dword(at + 4, headerSize) || headerSize < 32) {
            return false;
        }
        std::size_t field = at + 8;
        ResEntry entry;
        if (!reader.Id(field, entry.type) || !reader.Id(field, entry.name)) {
            return false;
        }
        field = Align4(field);
        // DataVersion (4), MemoryFlags (2), LanguageId (2), Version (4), Characteristics (4).
        if (field + 16 > at + headerSize || !reader.Word(field + 6, entry.language)) {
            return false;
        }
        std::size_t dataStart = at + headerSize;
        if (dataStart > bytes.size() || dataSize > bytes.size() - dataStart) {
            return false;
        }
        // The file starts with an empty entry of type 0 that only marks the format.
        if (!(entry.type.isNumber && entry.type.number == 0)) {
            entry.data.assign(bytes.begin() + static_cast<std::ptrdiff_t>(dataStart),
                              bytes.begin() + static_cast<std::ptrdiff_t>(dataStart + dataSize));
            entries.push_back(std::move(entry));
        }
        at = Align4(dataStart + dataSize);
    }
    entries_ = std::move(entries);
    return true;
}

const ResEntry* Resources::Find(const ResId& type, const ResId& name) const {
    for (const ResEntry& entry : entries_) {
        if (entry.type == type && entry.name == name) {
            return &entry;
        }
    }
    return nullptr;
}

void Resources::Remove(const ResId& type, const ResId& name) {
    for (auto it = entries_.begin(); it != entries_.end();) {
        if (it->type == type && it->name == name) {
            it = entries_.erase(it);
        } else {
            ++it;
        }
    }
}

void Resources::Replace(const ResId& type, const ResId& name, std::vector<BYTE> data) {
    for (ResEntry& entry : entries_) {
        if (entry.type == type && entry.name == name) {
            entry.data = std::move(data);
            return;
        }
    }
    ResEntry entry;
    entry.type = type;
    entry.name = name;
    entry.language = 0x409;
    entry.data = std::move(data);
    entries_.push_back(std::move(entry));
}

HICON Resources::IconHandle(const ResId& group) const {
    const ResEntry* entry = Find(ResId::Number(RT_GROUP_ICON_ID), group);
    if (entry == nullptr || !group.isNumber || group.number == 0) {
        return nullptr;
    }
    // GRPICONDIR: reserved, type 1, count; then 14-byte entries ending in the RT_ICON id.
    Reader reader(entry->data);
    WORD type = 0;
    WORD count = 0;
    if (!reader.Word(2, type) || !reader.Word(4, count) || type != 1) {
        return nullptr;
    }
    for (WORD i = 0; i < count; ++i) {
        WORD imageId = 0;
        if (!reader.Word(6 + 14 * static_cast<std::size_t>(i) + 12, imageId)) {
            return nullptr;
        }
        if (Find(ResId::Number(RT_ICON_ID), ResId::Number(imageId)) != nullptr) {
            return reinterpret_cast<HICON>(kIconTag | group.number);
        }
    }
    return nullptr;
}

HBITMAP Resources::BitmapHandle(const ResId& bitmap) const {
    const ResEntry* entry = Find(ResId::Number(RT_BITMAP_ID), bitmap);
    if (entry == nullptr || !bitmap.isNumber || bitmap.number == 0) {
        return nullptr;
    }
    DWORD headerSize = 0;
    if (!Reader(entry->data).Dword(0, headerSize) || headerSize < 12 ||
        headerSize > entry->data.size()) {
        return nullptr;
    }
    return reinterpret_cast<HBITMAP>(kBitmapTag | bitmap.number);
}

int Resources::IconIdOf(HICON icon) {
    UINT_PTR value = reinterpret_cast<UINT_PTR>(icon);
    return (value & kTagMask) == kIconTag ? static_cast<int>(value & 0xFFFF) : 0;
}

int Resources::BitmapIdOf(HBITMAP bitmap) {
    UINT_PTR value = reinterpret_cast<UINT_PTR>(bitmap);
    return (value & kTagMask) == kBitmapTag ? static_cast<int>(value & 0xFFFF) : 0;
}

HICON Resources::SystemIcon(WORD id) {
    return reinterpret_cast<HICON>(kSystemIconTag | id);
}

bool Resources::IsSystemIcon(HICON icon) {
    return (reinterpret_cast<UINT_PTR>(icon) & kTagMask) == kSystemIconTag;
}

HCURSOR Resources::SystemCursor(WORD id) {
    return reinterpret_cast<HCURSOR>(kSystemCursorTag | id);
}

int Resources::SystemCursorIdOf(HCURSOR cursor) {
    UINT_PTR value = reinterpret_cast<UINT_PTR>(cursor);
    return (value & kTagMask) == kSystemCursorTag ? static_cast<int>(value & 0xFFFF) : 0;
}

HRSRC Resources::FindHandle(LPCSTR name, LPCSTR type) const {
    ResId wantedName = ResId::From(name);
    ResId wantedType = ResId::From(type);
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].type == wantedType && entries_[i].name == wantedName) {
            return reinterpret_cast<HRSRC>(static_cast<UINT_PTR>(i + 1));
        }
    }
    return nullptr;
}

const ResEntry* Resources::FromHandle(HRSRC handle) const {
    UINT_PTR index = reinterpret_cast<UINT_PTR>(handle);
    if (index == 0 || index > entries_.size()) {
        return nullptr;
    }
    return &entries_[index - 1];
}

}  // namespace host
