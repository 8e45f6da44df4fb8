// The simulated file system: name resolution as the platform does it, and the file operations.
#include <cerrno>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "FileSystem.h"
#include "Machine.h"

namespace host {

namespace {

// Not in the program's own subset of error codes, but what the platform reports.
constexpr DWORD kErrorBadNetPath = 53;
// "The directory name is invalid": a file where a directory was expected.
constexpr DWORD kErrorDirectory = 267;
constexpr std::uint64_t kUnlimited = std::numeric_limits<std::uint64_t>::max();
// CreateDirectoryA leaves room for an 8.3 file name in the directory it makes.
constexpr std::size_t kMaxDirectoryPath = MAX_PATH - 12;

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

bool IsLeadByte(UINT codePage, unsigned char byte) {
    switch (codePage) {
        case 932:
            return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
        case 936:
        case 949:
        case 950:
            return byte >= 0x81 && byte <= 0xFE;
        default:
            return false;
    }
}

UINT CodePage() {
    return TheMachine().codePage;
}

void Fail(DWORD error) {
    TheMachine().lastError = error;
}

// Upper case as the platform compares names: ASCII letters, the accented letters of code page
// 1252, and never the trail byte of a double-byte character.
std::string Fold(const std::string& text) {
    UINT codePage = CodePage();
    std::string folded = text;
    for (std::size_t i = 0; i < folded.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(folded[i]);
        if (IsLeadByte(codePage, c)) {
            ++i;
            continue;
        }
        if (c >= 'a' && c <= 'z') {
            c = static_cast<unsigned char>(c - 'a' + 'A');
        } else if (codePage == 1252) {
            if (c >= 0xE0 && c <= 0xFE && c != 0xF7) {
                c = static_cast<unsigned char>(c - 0x20);
            } else if (c == 0x9A || c == 0x9C || c == 0x9E) {
                c = static_cast<unsigned char>(c - 0x10);
            } else if (c == 0xFF) {
                c = 0x9F;
            }
        }
        folded[i] = static_cast<char>(c);
    }
    return folded;
}

bool HasInvalidCharacter(const std::string& component) {
    UINT codePage = CodePage();
    for (std::size_t i = 0; i < component.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(component[i]);
        if (IsLeadByte(codePage, c)) {
            ++i;
            continue;
        }
        if (c < 0x20 || std::strchr("<>:\"|?*", c) != nullptr) {
            return true;
        }
    }
    return false;
}

// CON, NUL, PRN, AUX, COM1-9 and LPT1-9 name devices whatever their extension or case.
bool IsDeviceName(const std::string& component) {
    std::string base = component.substr(0, component.find('.'));
    while (!base.empty() && base.back() == ' ') {
        base.pop_back();
    }
    base = Fold(base);
    if (base == "CON" || base == "NUL" || base == "PRN" || base == "AUX") {
        return true;
    }
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
           base[3] >= '1' && base[3] <= '9';
}

int DriveIndex(char letter) {
    if (letter >= 'a' && letter <= 'z') {
        return letter - 'a';
    }
    if (letter >= 'A' && letter <= 'Z') {
        return letter - 'A';
    }
    return -1;
}

std::string DriveName(int drive) {
    return std::string(1, static_cast<char>('A' + drive)) + ":";
}

std::string Join(int drive, const std::vector<std::string>& parts) {
    std::string path = DriveName(drive);
    for (const std::string& part : parts) {
        path += "\\" + part;
    }
    return parts.empty() ? path + "\\" : path;
}

int ErrnoFor(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case kErrorBadNetPath:
        case ERROR_FILENAME_EXCED_RANGE:
            return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            return EACCES;
        case ERROR_DISK_FULL:
            return ENOSPC;
        default:
            return EINVAL;
    }
}

}  // namespace

struct FileSystem::Node {
    std::string name;  // as created
    bool directory = true;
    std::vector<BYTE> contents;
    std::map<std::string, std::unique_ptr<Node>> children;  // by folded name
};

struct FileSystem::Resolved {
    int drive = 0;
    std::vector<std::string> parts;  // below the root, as typed, "." and ".." applied
    bool trailingSeparator = false;
    bool device = false;  // the last component names a device
};

FileSystem::FileSystem() {
    for (std::uint64_t& space : freeSpace_) {
        space = kUnlimited;
    }
    AddDrive('C');
}

FileSystem::~FileSystem() = default;

// Texts resolve in this order: length, network names, drive, components; a device name as the last
// component wins over everything after the network check, as on the classic platform.
DWORD FileSystem::Resolve(const std::string& text, Resolved& out) const {
    out = Resolved();
    if (text.empty()) {
        return ERROR_PATH_NOT_FOUND;
    }
    if (text.size() >= MAX_PATH) {
        return ERROR_FILENAME_EXCED_RANGE;
    }
    if (text.size() >= 2 && IsSeparator(text[0]) && IsSeparator(text[1])) {
        return kErrorBadNetPath;  // UNC and device-namespace texts: no network here
    }
    std::size_t at = 0;
    out.drive = currentDrive_ - 'A';
    if (text.size() >= 2 && text[1] == ':') {
        out.drive = DriveIndex(text[0]);
        if (out.drive < 0) {
            return ERROR_INVALID_NAME;
        }
        at = 2;
    }
    if (at < text.size() && IsSeparator(text[at])) {
        ++at;
    } else {
        out.parts = currentDir_[out.drive];
    }

    UINT codePage = CodePage();
    std::vector<std::string> tokens(1);
    for (std::size_t i = at; i < text.size(); ++i) {
        if (IsLeadByte(codePage, static_cast<unsigned char>(text[i])) && i + 1 < text.size()) {
            tokens.back() += text.substr(i, 2);
            ++i;
        } else if (IsSeparator(text[i])) {
            tokens.emplace_back();
        } else {
            tokens.back() += text[i];
        }
    }
    out.trailingSeparator = at < text.size() && tokens.back().empty();
    for (std::string& token : tokens) {
        if (token == ".") {
            continue;
        }
        if (token == "..") {
            if (!out.parts.empty()) {
                out.parts.pop_back();
            }
            continue;
        }
        while (!token.empty() && (token.back() == '.' || token.back() == ' ')) {
            token.pop_back();
        }
        if (!token.empty()) {
            out.parts.push_back(token);
        }
    }
    const std::string& final = tokens.back();
    if (!final.empty() && final != "." && final != ".." && IsDeviceName(final)) {
        out.device = true;
        return ERROR_SUCCESS;
    }
    for (const std::string& part : out.parts) {
        if (HasInvalidCharacter(part)) {
            return ERROR_INVALID_NAME;
        }
    }
    if (Join(out.drive, out.parts).size() >= MAX_PATH) {
        return ERROR_FILENAME_EXCED_RANGE;
    }
    if (!drives_[out.drive]) {
        return ERROR_PATH_NOT_FOUND;
    }
    return ERROR_SUCCESS;
}

FileSystem::Node* FileSystem::Parent(const Resolved& path, DWORD& error) const {
    Node* node = drives_[path.drive].get();
    for (std::size_t i = 0; i + 1 < path.parts.size(); ++i) {
        auto found = node->children.find(Fold(path.parts[i]));
        if (found == node->children.end() || !found->second->directory) {
            error = ERROR_PATH_NOT_FOUND;
            return nullptr;
        }
        node = found->second.get();
    }
    return node;
}

FileSystem::Node* FileSystem::Find(const Resolved& path, DWORD& error) const {
    if (path.parts.empty()) {
        return drives_[path.drive].get();
    }
    Node* parent = Parent(path, error);
    if (parent == nullptr) {
        return nullptr;
    }
    auto found = parent->children.find(Fold(path.parts.back()));
    if (found == parent->children.end()) {
        error = ERROR_FILE_NOT_FOUND;
        return nullptr;
    }
    if (!found->second->directory && path.trailingSeparator) {
        error = ERROR_INVALID_NAME;  // "file\" names no directory
        return nullptr;
    }
    return found->second.get();
}

FileSystem::Node* FileSystem::FindFile(const std::string& fullPath) const {
    Resolved resolved;
    DWORD error = Resolve(fullPath, resolved);
    if (error != ERROR_SUCCESS || resolved.device) {
        return nullptr;
    }
    Node* node = Find(resolved, error);
    return node != nullptr && !node->directory ? node : nullptr;
}

bool FileSystem::IsBusy(const std::string& key) const {
    return heldOpen_.count(key) != 0 || ownOpen_.count(key) != 0;
}

void FileSystem::GiveBack(char drive, std::size_t bytes) {
    std::uint64_t& space = freeSpace_[drive - 'A'];
    if (space != kUnlimited) {
        space = std::min<std::uint64_t>(kUnlimited - 1, space + bytes);
    }
}

// ---- set-up and inspection --------------------------------------------------------------------

void FileSystem::AddDrive(char letter) {
    int drive = DriveIndex(letter);
    if (drive < 0) {
        throw std::invalid_argument("no such drive letter");
    }
    if (!drives_[drive]) {
        drives_[drive] = std::make_unique<Node>();
        drives_[drive]->name = DriveName(drive);
        currentDir_[drive].clear();
    }
}

void FileSystem::RemoveDrive(char letter) {
    int drive = DriveIndex(letter);
    if (drive >= 0) {
        drives_[drive].reset();
        currentDir_[drive].clear();
    }
}

FileSystem::Node* FileSystem::SetUpParent(const std::string& path, Resolved& resolved) const {
    DWORD error = Resolve(path, resolved);
    if (error != ERROR_SUCCESS || resolved.device || resolved.parts.empty()) {
        throw std::invalid_argument("cannot set up " + path);
    }
    Node* parent = Parent(resolved, error);
    if (parent == nullptr) {
        throw std::invalid_argument("the parent of " + path + " is no directory");
    }
    return parent;
}

void FileSystem::MakeDirectories(const std::string& path) {
    Resolved resolved;
    DWORD error = Resolve(path, resolved);
    if (error != ERROR_SUCCESS || resolved.device) {
        throw std::invalid_argument("cannot make " + path);
    }
    Node* node = drives_[resolved.drive].get();
    for (const std::string& part : resolved.parts) {
        std::unique_ptr<Node>& child = node->children[Fold(part)];
        if (!child) {
            child = std::make_unique<Node>();
            child->name = part;
        } else if (!child->directory) {
            throw std::invalid_argument("a file is in the way of " + path);
        }
        node = child.get();
    }
}

void FileSystem::WriteFile(const std::string& path, std::vector<BYTE> contents) {
    Resolved resolved;
    Node* parent = SetUpParent(path, resolved);
    std::unique_ptr<Node>& child = parent->children[Fold(resolved.parts.back())];
    if (child && child->directory) {
        throw std::invalid_argument(path + " is a directory");
    }
    if (!child) {
        child = std::make_unique<Node>();
        child->name = resolved.parts.back();
        child->directory = false;
    }
    child->contents = std::move(contents);
}

bool FileSystem::IsDirectory(const std::string& path) const {
    Resolved resolved;
    DWORD error = Resolve(path, resolved);
    if (error != ERROR_SUCCESS || resolved.device) {
        return false;
    }
    Node* node = Find(resolved, error);
    return node != nullptr && node->directory;
}

bool FileSystem::IsFile(const std::string& path) const {
    Resolved resolved;
    DWORD error = Resolve(path, resolved);
    if (error != ERROR_SUCCESS || resolved.device) {
        return false;
    }
    Node* node = Find(resolved, error);
    return node != nullptr && !node->directory;
}

std::vector<BYTE> FileSystem::ReadFile(const std::string& path) const {
    Resolved resolved;
    DWORD error = Resolve(path, resolved);
    if (error != ERROR_SUCCESS || resolved.device) {
        return {};
    }
    Node* node = Find(resolved, error);
    return node != nullptr && !node->directory ? node->contents : std::vector<BYTE>();
}

void FileSystem::SetCurrentDirectory(const std::string& path) {
    Resolved resolved;
    DWORD error = Resolve(path, resolved);
    Node* node = error == ERROR_SUCCESS && !resolved.device ? Find(resolved, error) : nullptr;
    if (node == nullptr || !node->directory) {
        throw std::invalid_argument(path + " is no directory");
    }
    // Keep the names as created.
    std::vector<std::string> names;
    Node* walk = drives_[resolved.drive].get();
    for (const std::string& part : resolved.parts) {
        walk = walk->children[Fold(part)].get();
        names.push_back(walk->name);
    }
    currentDrive_ = static_cast<char>('A' + resolved.drive);
    currentDir_[resolved.drive] = names;
}

void FileSystem::HoldOpen(const std::string& path) {
    heldOpen_.insert(Fold(FullPath(path)));
}

void FileSystem::Release(const std::string& path) {
    heldOpen_.erase(Fold(FullPath(path)));
}

void FileSystem::SetReadOnly(const std::string& directory) {
    readOnly_.insert(Fold(FullPath(directory)));
}

void FileSystem::SetFreeSpace(char letter, std::uint64_t bytes) {
    int drive = DriveIndex(letter);
    if (drive < 0) {
        throw std::invalid_argument("no such drive letter");
    }
    freeSpace_[drive] = bytes;
}

std::string FileSystem::FullPath(const std::string& path) const {
    Resolved resolved;
    if (Resolve(path, resolved) != ERROR_SUCCESS || resolved.device) {
        return "";
    }
    Node* node = drives_[resolved.drive].get();
    for (std::string& part : resolved.parts) {
        if (node == nullptr) {
            continue;
        }
        auto found = node->children.find(Fold(part));
        node = found == node->children.end() ? nullptr : found->second.get();
        if (node != nullptr) {
            part = node->name;
        }
    }
    return Join(resolved.drive, resolved.parts);
}

std::string FileSystem::AbsolutePath(const std::string& path) const {
    Resolved resolved;
    if (Resolve(path, resolved) != ERROR_SUCCESS || resolved.device) {
        return "";
    }
    return Join(resolved.drive, resolved.parts);
}

namespace {

void DumpChildren(const FileSystem::Node& node, const std::string& path, std::string& out) {
    for (const auto& entry : node.children) {
        const FileSystem::Node& child = *entry.second;
        std::string childPath = path + child.name;
        if (child.directory) {
            out += childPath + "\\\n";
            DumpChildren(child, childPath + "\\", out);
        } else {
            out += childPath + " " + std::to_string(child.contents.size()) + "\n";
        }
    }
}

}  // namespace

std::string FileSystem::Dump() const {
    std::string out;
    for (int drive = 0; drive < 26; ++drive) {
        if (drives_[drive]) {
            out += DriveName(drive) + "\\\n";
            DumpChildren(*drives_[drive], DriveName(drive) + "\\", out);
        }
    }
    return out;
}

int FileSystem::OpenStreamCount() const {
    return static_cast<int>(streams_.size());
}

int FileSystem::OpenFileCount() const {
    int count = 0;
    for (const auto& entry : ownOpen_) {
        count += entry.second;
    }
    return count;
}

// ---- the platform's operations ----------------------------------------------------------------

DWORD FileSystem::GetAttributes(LPCSTR path) {
    Resolved resolved;
    DWORD error = path == nullptr ? ERROR_INVALID_PARAMETER : Resolve(path, resolved);
    if (error == ERROR_SUCCESS && resolved.device) {
        return FILE_ATTRIBUTE_ARCHIVE;
    }
    Node* node = error == ERROR_SUCCESS ? Find(resolved, error) : nullptr;
    if (node == nullptr) {
        Fail(error);
        return INVALID_FILE_ATTRIBUTES;
    }
    return node->directory ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
}

BOOL FileSystem::CreateDirectory(LPCSTR path) {
    Resolved resolved;
    DWORD error = path == nullptr ? ERROR_PATH_NOT_FOUND : Resolve(path, resolved);
    if (error == ERROR_SUCCESS && resolved.device) {
        error = ERROR_ACCESS_DENIED;
    }
    if (error == ERROR_SUCCESS &&
        Join(resolved.drive, resolved.parts).size() >= kMaxDirectoryPath) {
        error = ERROR_FILENAME_EXCED_RANGE;
    }
    if (error == ERROR_SUCCESS && resolved.parts.empty()) {
        error = ERROR_ALREADY_EXISTS;  // the root of an existing drive
    }
    Node* parent = error == ERROR_SUCCESS ? Parent(resolved, error) : nullptr;
    if (parent == nullptr) {
        Fail(error);
        return FALSE;
    }
    std::string key = Fold(resolved.parts.back());
    if (parent->children.count(key) != 0) {
        Fail(ERROR_ALREADY_EXISTS);
        return FALSE;
    }
    std::vector<std::string> parentParts(resolved.parts.begin(), resolved.parts.end() - 1);
    if (readOnly_.count(Fold(FullPath(Join(resolved.drive, parentParts)))) != 0) {
        Fail(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    std::unique_ptr<Node>& child = parent->children[key];
    child = std::make_unique<Node>();
    child->name = resolved.parts.back();
    return TRUE;
}

BOOL FileSystem::RemoveDirectory(LPCSTR path) {
    Resolved resolved;
    DWORD error = path == nullptr ? ERROR_PATH_NOT_FOUND : Resolve(path, resolved);
    if (error == ERROR_SUCCESS && resolved.device) {
        error = ERROR_ACCESS_DENIED;
    }
    if (error == ERROR_SUCCESS && resolved.parts.empty()) {
        error = ERROR_ACCESS_DENIED;  // a drive's root
    }
    Node* parent = error == ERROR_SUCCESS ? Parent(resolved, error) : nullptr;
    if (parent == nullptr) {
        Fail(error);
        return FALSE;
    }
    auto found = parent->children.find(Fold(resolved.parts.back()));
    if (found == parent->children.end()) {
        Fail(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    std::string full = FullPath(path);
    std::vector<std::string> parentParts(resolved.parts.begin(), resolved.parts.end() - 1);
    if (!found->second->directory) {
        error = kErrorDirectory;
    } else if (!found->second->children.empty()) {
        error = ERROR_DIR_NOT_EMPTY;
    } else if (readOnly_.count(Fold(full)) != 0 ||
               readOnly_.count(Fold(FullPath(Join(resolved.drive, parentParts)))) != 0) {
        error = ERROR_ACCESS_DENIED;
    } else if (resolved.drive == currentDrive_ - 'A' &&
               Fold(full) == Fold(Join(resolved.drive, currentDir_[resolved.drive]))) {
        error = ERROR_SHARING_VIOLATION;  // the process's current directory
    }
    if (error != ERROR_SUCCESS) {
        Fail(error);
        return FALSE;
    }
    parent->children.erase(found);
    return TRUE;
}

BOOL FileSystem::DeleteFile(LPCSTR path) {
    Resolved resolved;
    DWORD error = path == nullptr ? ERROR_PATH_NOT_FOUND : Resolve(path, resolved);
    if (error == ERROR_SUCCESS && resolved.device) {
        error = ERROR_ACCESS_DENIED;
    }
    Node* node = error == ERROR_SUCCESS ? Find(resolved, error) : nullptr;
    if (node == nullptr) {
        Fail(error);
        return FALSE;
    }
    std::string full = Fold(FullPath(path));
    std::vector<std::string> parentParts(resolved.parts.begin(),
                                         resolved.parts.end() - (resolved.parts.empty() ? 0 : 1));
    if (node->directory) {
        error = ERROR_ACCESS_DENIED;
    } else if (IsBusy(full)) {
        error = ERROR_SHARING_VIOLATION;
    } else if (readOnly_.count(Fold(FullPath(Join(resolved.drive, parentParts)))) != 0) {
        error = ERROR_ACCESS_DENIED;
    }
    if (error != ERROR_SUCCESS) {
        Fail(error);
        return FALSE;
    }
    GiveBack(static_cast<char>('A' + resolved.drive), node->contents.size());
    DWORD ignored = 0;
    Parent(resolved, ignored)->children.erase(Fold(resolved.parts.back()));
    return TRUE;
}

bool FileSystem::OpenForWrite(const std::string& path, bool truncate, std::string& fullPath) {
    Resolved resolved;
    DWORD error = Resolve(path, resolved);
    if (error == ERROR_SUCCESS && (resolved.device || resolved.parts.empty())) {
        error = ERROR_ACCESS_DENIED;
    }
    Node* parent = error == ERROR_SUCCESS ? Parent(resolved, error) : nullptr;
    if (parent == nullptr) {
        Fail(error);
        return false;
    }
    std::string key = Fold(resolved.parts.back());
    auto found = parent->children.find(key);
    std::string full = FullPath(path);
    if (found != parent->children.end()) {
        if (found->second->directory) {
            error = ERROR_ACCESS_DENIED;
        } else if (resolved.trailingSeparator) {
            error = ERROR_INVALID_NAME;
        } else if (heldOpen_.count(Fold(full)) != 0) {
            error = ERROR_SHARING_VIOLATION;
        }
    } else if (resolved.trailingSeparator) {
        error = ERROR_INVALID_NAME;
    } else {
        std::vector<std::string> parentParts(resolved.parts.begin(), resolved.parts.end() - 1);
        if (readOnly_.count(Fold(FullPath(Join(resolved.drive, parentParts)))) != 0) {
            error = ERROR_ACCESS_DENIED;
        }
    }
    if (error != ERROR_SUCCESS) {
        Fail(error);
        return false;
    }
    if (found == parent->children.end()) {
        std::unique_ptr<Node>& child = parent->children[key];
        child = std::make_unique<Node>();
        child->name = resolved.parts.back();
        child->directory = false;
        full = FullPath(path);
    } else if (truncate) {
        GiveBack(static_cast<char>('A' + resolved.drive), found->second->contents.size());
        found->second->contents.clear();
    }
    ++ownOpen_[Fold(full)];
    fullPath = full;
    return true;
}

bool FileSystem::OpenForRead(const std::string& path, std::string& fullPath) {
    Resolved resolved;
    DWORD error = Resolve(path, resolved);
    if (error == ERROR_SUCCESS && resolved.device) {
        error = ERROR_ACCESS_DENIED;
    }
    Node* node = error == ERROR_SUCCESS ? Find(resolved, error) : nullptr;
    if (node == nullptr) {
        Fail(error);
        return false;
    }
    if (node->directory) {
        Fail(ERROR_ACCESS_DENIED);
        return false;
    }
    fullPath = FullPath(path);
    ++ownOpen_[Fold(fullPath)];
    return true;
}

void FileSystem::CloseFile(const std::string& fullPath) {
    auto found = ownOpen_.find(Fold(fullPath));
    if (found != ownOpen_.end() && --found->second == 0) {
        ownOpen_.erase(found);
    }
}

bool FileSystem::Append(const std::string& fullPath, const BYTE* data, std::size_t size,
                        std::size_t& written) {
    written = 0;
    Node* node = FindFile(fullPath);
    if (node == nullptr) {
        Fail(ERROR_INVALID_HANDLE);
        return false;
    }
    std::uint64_t& space = freeSpace_[DriveIndex(fullPath[0])];
    std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(size, space));
    node->contents.insert(node->contents.end(), data, data + count);
    if (space != kUnlimited) {
        space -= count;
    }
    written = count;
    if (count < size) {
        Fail(ERROR_DISK_FULL);
        return false;
    }
    return true;
}

bool FileSystem::Read(const std::string& path, std::vector<BYTE>& contents) const {
    Resolved resolved;
    DWORD error = Resolve(path, resolved);
    if (error == ERROR_SUCCESS && resolved.device) {
        error = ERROR_ACCESS_DENIED;
    }
    Node* node = error == ERROR_SUCCESS ? Find(resolved, error) : nullptr;
    if (node == nullptr || node->directory) {
        Fail(node == nullptr ? error : ERROR_ACCESS_DENIED);
        return false;
    }
    contents = node->contents;
    return true;
}

// ---- C runtime streams ------------------------------------------------------------------------

FILE* FileSystem::StreamOpen(const char* path, const char* mode) {
    if (path == nullptr || mode == nullptr || std::strchr("rwa", mode[0]) == nullptr ||
        mode[0] == '\0') {
        errno = EINVAL;
        return nullptr;
    }
    bool update = std::strchr(mode, '+') != nullptr;
    std::string full;
    bool opened = false;
    if (mode[0] == 'r' && !update) {
        opened = OpenForRead(path, full);
    } else if (mode[0] == 'r' && !IsFile(path)) {
        Fail(ERROR_FILE_NOT_FOUND);
    } else {
        opened = OpenForWrite(path, mode[0] == 'w', full);
    }
    if (!opened) {
        errno = ErrnoFor(TheMachine().lastError);
        return nullptr;
    }
    UINT_PTR handle = nextStream_;
    nextStream_ += 0x10;
    streams_[handle] = Stream{full, mode[0] != 'r' || update};
    return reinterpret_cast<FILE*>(handle);
}

std::size_t FileSystem::StreamWrite(const void* data, std::size_t size, std::size_t count,
                                    FILE* stream) {
    auto found = streams_.find(reinterpret_cast<UINT_PTR>(stream));
    if (found == streams_.end() || !found->second.write) {
        errno = EBADF;
        return 0;
    }
    if (size == 0 || count == 0) {
        return 0;
    }
    if (data == nullptr || count > std::numeric_limits<std::size_t>::max() / size) {
        errno = EINVAL;
        return 0;
    }
    std::size_t written = 0;
    if (!Append(found->second.fullPath, static_cast<const BYTE*>(data), size * count, written)) {
        errno = ErrnoFor(TheMachine().lastError);
    }
    return written / size;
}

int FileSystem::StreamClose(FILE* stream) {
    auto found = streams_.find(reinterpret_cast<UINT_PTR>(stream));
    if (found == streams_.end()) {
        errno = EBADF;
        return EOF;
    }
    CloseFile(found->second.fullPath);
    streams_.erase(found);
    return 0;
}

}  // namespace host
