// The simulated file system where the installer relies on the platform's path rules.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "Machine.h"

namespace {

// D: with D:\Data (current directory of D:, the current drive), D:\Data\Sub, D:\Data\file.txt;
// C:\Work (current directory of C:) with C:\Work\Proj.
host::Machine& Prepared() {
    host::Machine& m = host::NewMachine();
    m.files.AddDrive('D');
    m.files.MakeDirectories("C:\\Work\\Proj");
    m.files.MakeDirectories("D:\\Data\\Sub");
    m.files.WriteFile("D:\\Data\\file.txt", {1, 2, 3});
    m.files.SetCurrentDirectory("C:\\Work");
    m.files.SetCurrentDirectory("D:\\Data");
    return m;
}

struct AttributeCase {
    std::string path;
    DWORD attributes;
    DWORD error;  // when INVALID_FILE_ATTRIBUTES
};

TEST(FileSystem, ResolvesPathsLikeThePlatform) {
    const DWORD kDir = FILE_ATTRIBUTE_DIRECTORY;
    const DWORD kFile = FILE_ATTRIBUTE_ARCHIVE;
    const DWORD kNone = INVALID_FILE_ATTRIBUTES;
    const std::vector<AttributeCase> cases = {
        {"D:\\", kDir, 0},
        {"D:", kDir, 0},  // D:'s current directory
        {"d:\\DATA\\FILE.TXT", kFile, 0},
        {"D:/Data/Sub/", kDir, 0},
        {"D:\\Data/Sub\\..\\file.txt", kFile, 0},
        {"D:\\Data\\.\\Sub", kDir, 0},
        {"D:\\Data\\Sub. . ", kDir, 0},
        {"D:\\Data.\\file.txt..", kFile, 0},
        {"Sub", kDir, 0},
        {"D:Sub", kDir, 0},
        {"C:Proj", kDir, 0},  // C:'s own current directory
        {"C:", kDir, 0},
        {"\\Data", kDir, 0},  // the root of the current drive
        {"..\\Data\\file.txt", kFile, 0},
        {"\\..\\..\\Data", kDir, 0},
        {"D:\\Data\\missing", kNone, ERROR_FILE_NOT_FOUND},
        {"D:\\Missing\\x", kNone, ERROR_PATH_NOT_FOUND},
        {"D:\\Data\\file.txt\\x", kNone, ERROR_PATH_NOT_FOUND},
        {"D:\\Data\\file.txt\\", kNone, ERROR_INVALID_NAME},
        {"Q:\\", kNone, ERROR_PATH_NOT_FOUND},
        {"Q:", kNone, ERROR_PATH_NOT_FOUND},
        {"", kNone, ERROR_PATH_NOT_FOUND},
        {"D:\\Data\\a|b", kNone, ERROR_INVALID_NAME},
        {"D:\\Da*a", kNone, ERROR_INVALID_NAME},
        {"D:\\Data\\NUL", kFile, 0},
        {"D:\\nowhere\\con.txt", kFile, 0},
        {"Q:\\Lpt1", kFile, 0},
        {"D:\\Data\\COM0", kNone, ERROR_FILE_NOT_FOUND},
        {"\\\\server\\share", kNone, 53},
        {"//server/share/x", kNone, 53},
        {"D:\\" + std::string(256, 'a'), kNone, ERROR_FILE_NOT_FOUND},  // 259 characters
        {"D:\\" + std::string(257, 'a'), kNone, ERROR_FILENAME_EXCED_RANGE},
    };
    host::Machine& m = Prepared();
    for (const AttributeCase& c : cases) {
        SCOPED_TRACE(c.path);
        m.lastError = 0;
        EXPECT_EQ(GetFileAttributesA(c.path.c_str()), c.attributes);
        EXPECT_EQ(m.lastError, c.error);
    }
}

struct CreateCase {
    std::string path;
    DWORD error;          // 0: created
    std::string created;  // where the new directory is, as FullPath spells it
};

TEST(FileSystem, CreatesDirectoriesOrRefusesWithThePlatformsError) {
    const std::vector<CreateCase> cases = {
        {"D:\\New", 0, "D:\\New"},
        {"NewRel", 0, "D:\\Data\\NewRel"},
        {"\\RootRel", 0, "D:\\RootRel"},
        {"C:Rel", 0, "C:\\Work\\Rel"},
        {"D:/Data/Sub/Deep/", 0, "D:\\Data\\Sub\\Deep"},
        {"D:\\Trail. .", 0, "D:\\Trail"},
        {"D:\\" + std::string(244, 'a'), 0, "D:\\" + std::string(244, 'a')},  // 247 characters
        {"D:\\" + std::string(245, 'b'), ERROR_FILENAME_EXCED_RANGE, ""},
        {"d:\\DATA", ERROR_ALREADY_EXISTS, ""},
        {"D:\\Data\\file.txt", ERROR_ALREADY_EXISTS, ""},
        {"D:\\", ERROR_ALREADY_EXISTS, ""},
        {"D:\\Data\\file.txt\\x", ERROR_PATH_NOT_FOUND, ""},
        {"D:\\Missing\\x", ERROR_PATH_NOT_FOUND, ""},
        {"Q:\\x", ERROR_PATH_NOT_FOUND, ""},
        {"Q:", ERROR_PATH_NOT_FOUND, ""},
        {"", ERROR_PATH_NOT_FOUND, ""},
        {"D:\\nul", ERROR_ACCESS_DENIED, ""},
        {"D:\\Aux.txt", ERROR_ACCESS_DENIED, ""},
        {"D:\\a?b", ERROR_INVALID_NAME, ""},
        {"D:\\a\"b", ERROR_INVALID_NAME, ""},
        {"\\\\server\\share\\x", 53, ""},
    };
    host::Machine& m = Prepared();
    for (const CreateCase& c : cases) {
        SCOPED_TRACE(c.path);
        std::string before = m.files.Dump();
        m.lastError = 0;
        EXPECT_EQ(CreateDirectoryA(c.path.c_str(), nullptr), c.error == 0 ? TRUE : FALSE);
        EXPECT_EQ(m.lastError, c.error);
        if (c.error == 0) {
            EXPECT_TRUE(m.files.IsDirectory(c.created));
            EXPECT_EQ(m.files.FullPath(c.path), c.created);
        } else {
            EXPECT_EQ(m.files.Dump(), before);
        }
    }
}

TEST(FileSystem, KeepsNamesAsCreatedAndComparesWithoutCase) {
    host::Machine& m = Prepared();
    ASSERT_TRUE(CreateDirectoryA("D:\\MixedCase", nullptr));
    EXPECT_EQ(m.files.FullPath("d:\\MIXEDCASE\\new.TXT"), "D:\\MixedCase\\new.TXT");
    EXPECT_FALSE(CreateDirectoryA("D:\\MIXEDCASE", nullptr));
    EXPECT_EQ(m.lastError, static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(m.files.Dump(),
              "C:\\\nC:\\Work\\\nC:\\Work\\Proj\\\nD:\\\nD:\\Data\\\nD:\\Data\\file.txt 3\n"
              "D:\\Data\\Sub\\\nD:\\MixedCase\\\n");
}

struct RemoveCase {
    std::string path;
    bool directory;  // RemoveDirectoryA, else DeleteFileA
    DWORD error;     // 0: removed
};

TEST(FileSystem, RemovesOnlyWhatThePlatformWould) {
    const std::vector<RemoveCase> cases = {
        {"D:\\Data", true, ERROR_DIR_NOT_EMPTY},
        {"D:\\Data\\file.txt", true, 267},
        {"D:\\Data\\gone", true, ERROR_FILE_NOT_FOUND},
        {"D:\\", true, ERROR_ACCESS_DENIED},
        {"D:\\Locked\\Inner", true, ERROR_ACCESS_DENIED},  // in a read-only directory
        {"D:\\Bare", true, ERROR_ACCESS_DENIED},           // read-only itself
        {"C:\\Work\\Proj", true, 0},  // C:'s current directory, but D: is the current drive
        {"D:\\Empty", true, 0},
        {"D:\\Data\\Sub", true, 0},
        {"D:\\Data\\held.bin", false, ERROR_SHARING_VIOLATION},
        {"D:\\Locked\\f", false, ERROR_ACCESS_DENIED},
        {"D:\\Data\\Sub2", false, ERROR_ACCESS_DENIED},
        {"D:\\Data\\nothing", false, ERROR_FILE_NOT_FOUND},
        {"D:\\Nothing\\x", false, ERROR_PATH_NOT_FOUND},
        {"D:\\Data\\FILE.txt", false, 0},
    };
    host::Machine& m = Prepared();
    m.files.SetCurrentDirectory("C:\\Work\\Proj");
    m.files.SetCurrentDirectory("D:\\Data");
    m.files.MakeDirectories("D:\\Empty");
    m.files.MakeDirectories("D:\\Data\\Sub2");
    m.files.MakeDirectories("D:\\Locked\\Inner");
    m.files.WriteFile("D:\\Locked\\f", {});
    m.files.SetReadOnly("D:\\Locked");
    m.files.MakeDirectories("D:\\Bare");
    m.files.SetReadOnly("D:\\Bare");
    m.files.WriteFile("D:\\Data\\held.bin", {9});
    m.files.HoldOpen("D:\\Data\\held.bin");
    for (const RemoveCase& c : cases) {
        SCOPED_TRACE(c.path);
        m.lastError = 0;
        BOOL ok = c.directory ? RemoveDirectoryA(c.path.c_str()) : DeleteFileA(c.path.c_str());
        EXPECT_EQ(ok, c.error == 0 ? TRUE : FALSE);
        EXPECT_EQ(m.lastError, c.error);
        bool missing =
            c.error == 0 || c.error == ERROR_FILE_NOT_FOUND || c.error == ERROR_PATH_NOT_FOUND;
        EXPECT_EQ(GetFileAttributesA(c.path.c_str()) == INVALID_FILE_ATTRIBUTES, missing);
    }
    m.files.Release("D:\\Data\\held.bin");
    EXPECT_TRUE(DeleteFileA("D:\\Data\\held.bin"));
}

TEST(FileSystem, TheProcessCurrentDirectoryCannotBeRemoved) {
    host::Machine& m = Prepared();
    m.files.MakeDirectories("D:\\Data\\Sub\\Here");
    m.files.SetCurrentDirectory("D:\\Data\\Sub\\Here");
    EXPECT_FALSE(RemoveDirectoryA("D:\\Data\\Sub\\Here"));
    EXPECT_EQ(m.lastError, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(tolvane_host_rmdir("."), -1);
    m.files.SetCurrentDirectory("D:\\Data");
    EXPECT_EQ(tolvane_host_rmdir("Sub\\Here"), 0);
    EXPECT_EQ(tolvane_host_rmdir("Sub\\Here"), -1);
}

TEST(FileSystem, ReadOnlyDirectoryRefusesNewEntries) {
    host::Machine& m = Prepared();
    m.files.SetReadOnly("D:\\Data");
    EXPECT_FALSE(CreateDirectoryA("D:\\Data\\New", nullptr));
    EXPECT_EQ(m.lastError, static_cast<DWORD>(ERROR_ACCESS_DENIED));
    errno = 0;
    EXPECT_EQ(tolvane_host_fopen("D:\\Data\\new.bin", "wb"), nullptr);
    EXPECT_EQ(errno, EACCES);
    EXPECT_EQ(tolvane_host_remove("D:\\Data\\file.txt"), -1);
    EXPECT_TRUE(m.files.IsFile("D:\\Data\\file.txt"));
}

TEST(FileSystem, StreamsCreateTruncateAndAppend) {
    host::Machine& m = Prepared();
    const char text[] = "abcdef";
    FILE* out = tolvane_host_fopen("D:\\Data\\file.txt", "wb");
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(m.files.ReadFile("D:\\Data\\file.txt").size(), 0u);  // truncated at the open
    EXPECT_EQ(tolvane_host_fwrite(text, 6, 1, out), 1u);
    EXPECT_EQ(tolvane_host_remove("D:\\Data\\file.txt"), -1);  // open in this process
    EXPECT_EQ(m.lastError, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(tolvane_host_fclose(out), 0);
    FILE* more = tolvane_host_fopen("D:\\Data\\file.txt", "ab");
    ASSERT_NE(more, nullptr);
    EXPECT_EQ(tolvane_host_fwrite(text, 1, 2, more), 2u);
    EXPECT_EQ(m.files.OpenStreamCount(), 1);
    EXPECT_EQ(tolvane_host_fclose(more), 0);
    EXPECT_EQ(m.files.ReadFile("D:\\Data\\file.txt"),
              (std::vector<BYTE>{'a', 'b', 'c', 'd', 'e', 'f', 'a', 'b'}));
    EXPECT_EQ(m.files.OpenStreamCount(), 0);
    EXPECT_EQ(m.files.OpenFileCount(), 0);
    EXPECT_EQ(tolvane_host_fclose(more), EOF);
    EXPECT_EQ(tolvane_host_fopen("D:\\Missing\\x", "wb"), nullptr);
    EXPECT_EQ(errno, ENOENT);
    m.files.HoldOpen("D:\\Data\\file.txt");
    EXPECT_EQ(tolvane_host_fopen("D:\\Data\\file.txt", "wb"), nullptr);
    EXPECT_EQ(m.files.ReadFile("D:\\Data\\file.txt").size(), 8u);
}

struct WriteCase {
    const char* name;
    std::uint64_t freeSpace;
    int faultMode;  // -1: none
    std::size_t itemSize;
    std::size_t items;
    std::size_t reported;
    std::size_t stored;
};

TEST(FileSystem, ShortWritesFromAFullDiskOrAFault) {
    const std::vector<WriteCase> cases = {
        {"room", 100, -1, 16, 1, 1, 16},
        {"full disk, one item", 10, -1, 16, 1, 0, 10},
        {"full disk, bytes", 10, -1, 1, 16, 10, 10},
        {"fault 0: half", 100, 0, 1, 16, 8, 8},
        {"fault 0: half of one item", 100, 0, 16, 1, 0, 8},
        {"fault 1: nothing", 100, 1, 1, 16, 0, 0},
    };
    const std::vector<BYTE> data(16, 0x5a);
    for (const WriteCase& c : cases) {
        SCOPED_TRACE(c.name);
        host::Machine& m = Prepared();
        m.files.SetFreeSpace('D', c.freeSpace);
        if (c.faultMode >= 0) {
            m.FailCall("fwrite", 1, c.faultMode);
        }
        FILE* out = tolvane_host_fopen("D:\\Data\\out.bin", "wb");
        ASSERT_NE(out, nullptr);
        EXPECT_EQ(tolvane_host_fwrite(data.data(), c.itemSize, c.items, out), c.reported);
        tolvane_host_fclose(out);
        EXPECT_EQ(m.files.ReadFile("D:\\Data\\out.bin").size(), c.stored);
    }
}

TEST(FileSystem, DeletingGivesTheSpaceBack) {
    host::Machine& m = Prepared();
    m.files.SetFreeSpace('D', 10);
    const std::vector<BYTE> data(10, 1);
    for (int round = 0; round < 2; ++round) {
        FILE* out = tolvane_host_fopen("D:\\Data\\out.bin", "wb");
        ASSERT_NE(out, nullptr);
        EXPECT_EQ(tolvane_host_fwrite(data.data(), 10, 1, out), 1u);
        tolvane_host_fclose(out);
        EXPECT_EQ(tolvane_host_remove("D:\\Data\\out.bin"), 0);
    }
}

struct TempCase {
    std::string tempPath;
    DWORD capacity;
    int faultMode;
    DWORD result;
    std::string text;  // the buffer afterwards
};

TEST(FileSystem, TempPathReportsLengthOrNeededSize) {
    const std::vector<TempCase> cases = {
        {"D:\\TEMP\\", 260, -1, 8, "D:\\TEMP\\"},
        {"D:\\TEMP\\", 9, -1, 8, "D:\\TEMP\\"},
        {"D:\\TEMP\\", 8, -1, 9, "untouched"},
        {std::string(300, 'x'), 260, -1, 301, "untouched"},
        {"", 260, -1, 0, "untouched"},
        {"D:\\TEMP\\", 260, 0, 0, "untouched"},
        {"D:\\TEMP\\", 260, 1, 261, "untouched"},
    };
    for (const TempCase& c : cases) {
        SCOPED_TRACE(c.tempPath.substr(0, 20) + " " + std::to_string(c.capacity));
        host::Machine& m = host::NewMachine();
        m.files.tempPath = c.tempPath;
        if (c.faultMode >= 0) {
            m.FailCall("GetTempPathA", 1, c.faultMode);
        }
        char buffer[260] = "untouched";
        EXPECT_EQ(GetTempPathA(c.capacity, buffer), c.result);
        EXPECT_STREQ(buffer, c.text.c_str());
    }
}

TEST(FileSystem, FaultsFailTheCallAndChangeNothing) {
    host::Machine& m = Prepared();
    m.FailCall("CreateDirectoryA", 2);
    m.FailCall("DeleteFileA", 1);
    m.FailCall("GetFileAttributesA", 1);
    EXPECT_TRUE(CreateDirectoryA("D:\\One", nullptr));
    EXPECT_FALSE(CreateDirectoryA("D:\\Two", nullptr));
    EXPECT_EQ(m.lastError, static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(GetFileAttributesA("D:\\One"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesA("D:\\One"), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(tolvane_host_remove("D:\\Data\\file.txt"), -1);
    EXPECT_TRUE(m.files.IsFile("D:\\Data\\file.txt"));
    EXPECT_FALSE(m.files.IsDirectory("D:\\Two"));
    EXPECT_EQ(m.CallCount("DeleteFileA"), 1);
    EXPECT_EQ(m.calls.back().api, "DeleteFileA");
    EXPECT_EQ(m.calls.back().args, "\"D:\\Data\\file.txt\"");
}

// "\x83\x5C" is one Shift-JIS character whose trail byte has the backslash's code; "\x83\x61" and
// "\x83\x41" are two different characters although their trail bytes differ only in case.
TEST(FileSystem, DoubleByteNamesInCodePage932) {
    struct Case {
        UINT codePage;
        const char* created;  // what CreateDirectoryA("D:\\\x83\x5C") makes
    };
    for (const Case& c : {Case{932, "D:\\\x83\x5C"}, Case{1252, "D:\\\x83"}}) {
        SCOPED_TRACE(c.codePage);
        host::Machine& m = Prepared();
        m.codePage = c.codePage;
        EXPECT_TRUE(CreateDirectoryA("D:\\\x83\x5C", nullptr));
        EXPECT_EQ(m.files.FullPath("D:\\\x83\x5C"), c.created);
        EXPECT_EQ(m.files.IsDirectory("D:\\\x83"), c.codePage == 1252);
        EXPECT_TRUE(CreateDirectoryA("D:\\\x83\x61", nullptr));
        EXPECT_EQ(CreateDirectoryA("D:\\\x83\x41", nullptr), c.codePage == 932 ? TRUE : FALSE);
    }
}

TEST(FileSystem, LeadBytesAndCharNextFollowTheCodePage) {
    host::Machine& m = host::NewMachine();
    const char text[] =
        "\x83\x5C"
        "a\x81";
    m.codePage = 932;
    EXPECT_EQ(GetACP(), 932u);
    for (int byte : {0x81, 0x9F, 0xE0, 0xFC}) {
        EXPECT_TRUE(IsDBCSLeadByte(static_cast<BYTE>(byte))) << byte;
    }
    for (int byte : {0x80, 0xA0, 0xDF, 0xFD, 0x5C, 0x41}) {
        EXPECT_FALSE(IsDBCSLeadByte(static_cast<BYTE>(byte))) << byte;
    }
    EXPECT_EQ(CharNextA(text), text + 2);
    EXPECT_EQ(CharNextA(text + 2), text + 3);
    EXPECT_EQ(CharNextA(text + 3), text + 4);  // a lead byte before the terminating zero
    EXPECT_EQ(CharNextA(text + 4), text + 4);
    m.codePage = 1252;
    EXPECT_FALSE(IsDBCSLeadByte(0x83));
    EXPECT_EQ(CharNextA(text), text + 1);
}

}  // namespace
