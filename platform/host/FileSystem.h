#pragma once
// The simulated file system: drives, directories and files with contents, case-insensitive names,
// both separators, a current directory per drive, and the ways a real disk refuses work.
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "HostWin32.h"

namespace host {

class FileSystem {
  public:
    FileSystem();  // drive C: exists, empty, current directory C:\ .
    ~FileSystem();
    FileSystem(const FileSystem&) = delete;
    FileSystem& operator=(const FileSystem&) = delete;

    // ---- for tests: set up and inspect --------------------------------------------------------
    // Paths may be absolute ("D:\x"), drive-relative ("D:x", "D:"), root-relative ("\x") or
    // relative ("x"), resolved like the platform does against the current directories. The set-up
    // calls ignore read-only places and free space; misuse (a missing parent, a file in the way)
    // throws std::invalid_argument, to stop the test at its set-up.
    void AddDrive(char letter);
    void RemoveDrive(char letter);
    void MakeDirectories(const std::string& path);                        // the whole chain
    void WriteFile(const std::string& path, std::vector<BYTE> contents);  // parents must exist
    bool IsDirectory(const std::string& path) const;
    bool IsFile(const std::string& path) const;
    std::vector<BYTE> ReadFile(const std::string& path) const;  // empty when missing
    // Sets the current drive and that drive's current directory (an existing directory).
    void SetCurrentDirectory(const std::string& path);
    // A file another program holds open: it cannot be opened for writing, truncated or deleted.
    void HoldOpen(const std::string& path);
    void Release(const std::string& path);
    // Nothing can be created in, or removed from, this directory (ERROR_ACCESS_DENIED); the
    // directory itself cannot be removed either.
    void SetReadOnly(const std::string& directory);
    // Bytes that may still be written on drive letter; writes beyond are cut short. Deleting or
    // truncating a file gives its bytes back.
    void SetFreeSpace(char letter, std::uint64_t bytes);
    // Canonical full path ("C:\Dir\File", as the names were created) or "" when not resolvable.
    // Components that do not exist (yet) keep the spelling given.
    std::string FullPath(const std::string& path) const;
    // The full path as the platform's own full-path rule spells it: the components as typed,
    // "." and ".." applied, trailing dots and spaces dropped; "" when not resolvable.
    std::string AbsolutePath(const std::string& path) const;
    // Canonical listing of every drive, directory and file (with sizes), for before/after checks.
    std::string Dump() const;
    int OpenStreamCount() const;
    // Files this process has open (C runtime streams and LZ32 handles).
    int OpenFileCount() const;

    // What GetTempPathA reports (normally ends with a backslash); "" makes it fail (0).
    std::string tempPath = "C:\\TEMP\\";

    // ---- for the API implementation -----------------------------------------------------------
    // These resolve names for the code page of TheMachine() and set its last error on failure.
    DWORD GetAttributes(LPCSTR path);
    BOOL CreateDirectory(LPCSTR path);
    BOOL RemoveDirectory(LPCSTR path);
    BOOL DeleteFile(LPCSTR path);
    // Byte-level file access used by the C runtime and LZ32 simulations. Return false and set the
    // last error on failure. Each successful open counts as an open file of this process (it
    // cannot be deleted) until CloseFile with the fullPath it gave.
    bool OpenForWrite(const std::string& path, bool truncate, std::string& fullPath);
    bool OpenForRead(const std::string& path, std::string& fullPath);
    void CloseFile(const std::string& fullPath);
    bool Append(const std::string& fullPath, const BYTE* data, std::size_t size,
                std::size_t& written);
    bool Read(const std::string& path, std::vector<BYTE>& contents) const;

    // C runtime streams.
    FILE* StreamOpen(const char* path, const char* mode);
    std::size_t StreamWrite(const void* data, std::size_t size, std::size_t count, FILE* stream);
    int StreamClose(FILE* stream);

    struct Node;  // defined in FileSystem.cpp
    struct Resolved;

  private:
    DWORD Resolve(const std::string& text, Resolved& out) const;
    Node* Parent(const Resolved& path, DWORD& error) const;
    Node* Find(const Resolved& path, DWORD& error) const;
    Node* FindFile(const std::string& fullPath) const;
    Node* SetUpParent(const std::string& path, Resolved& resolved) const;
    bool IsBusy(const std::string& key) const;
    void GiveBack(char drive, std::size_t bytes);

    std::unique_ptr<Node> drives_[26];
    char currentDrive_ = 'C';
    std::vector<std::string> currentDir_[26];  // components below the root, as created
    std::set<std::string> heldOpen_;           // folded full paths
    std::set<std::string> readOnly_;           // folded full paths
    std::map<std::string, int> ownOpen_;       // folded full path -> open count
    std::uint64_t freeSpace_[26];
    struct Stream {
        std::string fullPath;
        bool write = false;
    };
    std::map<UINT_PTR, Stream> streams_;
    UINT_PTR nextStream_ = 0x100;
};

}  // namespace host
