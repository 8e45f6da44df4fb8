#include "Registry.h"

#include <cstring>
#include <sstream>

namespace host {

namespace {

std::string Upper(const std::string& text) {
    std::string result = text;
    for (char& c : result) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return result;
}

std::vector<std::string> Components(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (c == '\\') {
            if (!part.empty()) {
                parts.push_back(part);
            }
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) {
        parts.push_back(part);
    }
    return parts;
}

int RootIndex(HKEY root) {
    UINT_PTR value = reinterpret_cast<UINT_PTR>(root);
    if (value >= 0x80000000u && value <= 0x80000003u) {
        return static_cast<int>(value - 0x80000000u);
    }
    return -1;
}

const char* kRootNames[4] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE",
                             "HKEY_USERS"};

}  // namespace

Registry::Key* Registry::Root(HKEY root) {
    int index = RootIndex(root);
    if (index >= 0) {
        return &roots_[index];
    }
    auto found = open_.find(reinterpret_cast<UINT_PTR>(root));
    return found == open_.end() ? nullptr : found->second.first;
}

const Registry::Key* Registry::Root(HKEY root) const {
    return const_cast<Registry*>(this)->Root(root);
}

Registry::Key* Registry::Walk(Key* from, const std::string& path, bool create) {
    Key* key = from;
    for (const std::string& part : Components(path)) {
        std::string upper = Upper(part);
        auto found = key->subkeys.find(upper);
        if (found == key->subkeys.end()) {
            if (!create) {
                return nullptr;
            }
            auto child = std::make_unique<Key>();
            child->name = part;
            found = key->subkeys.emplace(upper, std::move(child)).first;
        }
        key = found->second.get();
    }
    return key;
}

const Registry::Key* Registry::Walk(const Key* from, const std::string& path) const {
    return const_cast<Registry*>(this)->Walk(const_cast<Key*>(from), path, false);
}

void Registry::CreateKey(HKEY root, const std::string& path) {
    Walk(Root(root), path, true);
}

void Registry::SetValue(HKEY root, const std::string& path, const std::string& name, DWORD type,
                        std::vector<BYTE> data) {
    Key* key = Walk(Root(root), path, true);
    RegValue& value = key->values[Upper(name)];
    value.type = type;
    value.data = std::move(data);
}

void Registry::SetString(HKEY root, const std::string& path, const std::string& name,
                         const std::string& text) {
    std::vector<BYTE> data(text.begin(), text.end());
    data.push_back(0);
    SetValue(root, path, name, REG_SZ, std::move(data));
}

bool Registry::KeyExists(HKEY root, const std::string& path) const {
    const Key* from = Root(root);
    return from != nullptr && Walk(from, path) != nullptr;
}

const RegValue* Registry::FindValue(HKEY root, const std::string& path,
                                    const std::string& name) const {
    const Key* from = Root(root);
    const Key* key = from == nullptr ? nullptr : Walk(from, path);
    if (key == nullptr) {
        return nullptr;
    }
    auto found = key->values.find(Upper(name));
    return found == key->values.end() ? nullptr : &found->second;
}

std::string Registry::Dump() const {
    std::ostringstream out;
    struct Printer {
        std::ostringstream& out;
        void Print(const Key& key, const std::string& path) {
            out << path << "\n";
            for (const auto& [name, value] : key.values) {
                out << "  " << (name.empty() ? "@" : name) << " type " << value.type << " [";
                for (BYTE b : value.data) {
                    out << ' ' << static_cast<int>(b);
                }
                out << " ]\n";
            }
            for (const auto& [name, child] : key.subkeys) {
                Print(*child, path + "\\" + child->name);
            }
        }
    } printer{out};
    for (int i = 0; i < 4; ++i) {
        printer.Print(roots_[i], kRootNames[i]);
    }
    return out.str();
}

int Registry::OpenKeyCount() const {
    return static_cast<int>(open_.size());
}

LONG Registry::Open(HKEY root, LPCSTR subKey, PHKEY result) {
    Key* from = Root(root);
    if (from == nullptr || result == nullptr) {
        return ERROR_INVALID_HANDLE;
    }
    std::string path = subKey == nullptr ? "" : subKey;
    std::string full = Upper(path);
    if (RootIndex(root) < 0) {
        full = Upper(open_[reinterpret_cast<UINT_PTR>(root)].second + "\\" + path);
    }
    if (unopenableKeys.count(full) != 0) {
        return ERROR_ACCESS_DENIED;
    }
    Key* key = Walk(from, path, false);
    if (key == nullptr) {
        return ERROR_FILE_NOT_FOUND;
    }
    UINT_PTR handle = nextHandle_++;
    open_[handle] = {key, full};
    *result = reinterpret_cast<HKEY>(handle);
    return ERROR_SUCCESS;
}

LONG Registry::Create(HKEY root, LPCSTR subKey, PHKEY result) {
    Key* from = Root(root);
    if (from == nullptr || result == nullptr) {
        return ERROR_INVALID_HANDLE;
    }
    std::string path = subKey == nullptr ? "" : subKey;
    Key* existing = Walk(from, path, false);
    if (existing == nullptr && refuseWrites) {
        return ERROR_ACCESS_DENIED;
    }
    Key* key = existing != nullptr ? existing : Walk(from, path, true);
    std::string full = Upper(path);
    if (RootIndex(root) < 0) {
        full = Upper(open_[reinterpret_cast<UINT_PTR>(root)].second + "\\" + path);
    }
    UINT_PTR handle = nextHandle_++;
    open_[handle] = {key, full};
    *result = reinterpret_cast<HKEY>(handle);
    return ERROR_SUCCESS;
}

LONG Registry::Query(HKEY key, LPCSTR name, LPDWORD type, LPBYTE data, LPDWORD size) {
    auto found = open_.find(reinterpret_cast<UINT_PTR>(key));
    if (found == open_.end()) {
        return ERROR_INVALID_HANDLE;
    }
    std::string valueName = name == nullptr ? "" : name;
    auto value = found->second.first->values.find(Upper(valueName));
    if (value == found->second.first->values.end()) {
        return ERROR_FILE_NOT_FOUND;
    }
    const RegValue& stored = value->second;
    if (type != nullptr) {
        *type = stored.type;
    }
    DWORD needed = static_cast<DWORD>(stored.data.size());
    if (data == nullptr) {
        if (size != nullptr) {
            *size = needed;
        }
        if (afterSizeQuery) {
            std::string path = found->second.second;
            afterSizeQuery(path, valueName);
        }
        return ERROR_SUCCESS;
    }
    if (size == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    if (*size < needed) {
        *size = needed;
        return ERROR_MORE_DATA;
    }
    if (needed != 0) {
        std::memcpy(data, stored.data.data(), needed);
    }
    *size = needed;
    return ERROR_SUCCESS;
}

LONG Registry::Set(HKEY key, LPCSTR name, DWORD type, const BYTE* data, DWORD size) {
    auto found = open_.find(reinterpret_cast<UINT_PTR>(key));
    if (found == open_.end()) {
        return ERROR_INVALID_HANDLE;
    }
    if (refuseWrites) {
        return ERROR_ACCESS_DENIED;
    }
    RegValue& value = found->second.first->values[Upper(name == nullptr ? "" : name)];
    value.type = type;
    value.data.assign(data, data + size);
    return ERROR_SUCCESS;
}

LONG Registry::Close(HKEY key) {
    return open_.erase(reinterpret_cast<UINT_PTR>(key)) == 1 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

}  // namespace host
