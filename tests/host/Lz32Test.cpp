// LZ32 over the simulated files, with the quirks of the system's library.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "Machine.h"
#include "Szdd.h"

namespace {

typedef std::vector<BYTE> Bytes;

Bytes Original() {
    Bytes data;
    for (int i = 0; i < 3000; ++i) {
        data.push_back(static_cast<BYTE>((i * 7) % 13 + (i / 100)));
    }
    return data;
}

Bytes Packed() {
    Bytes data = Original();
    return szdd::Compress(data.data(), data.size());
}

host::Machine& Prepared() {
    host::Machine& m = host::NewMachine();
    m.files.MakeDirectories("C:\\TEMP");
    m.files.MakeDirectories("C:\\Target");
    return m;
}

// OF_READ plus OF_CREATE|OF_WRITE and one LZCopy, as the installer expands its payload.
LONG Expand(host::Machine& m, const std::string& source, const std::string& target,
            INT* sourceHandle = nullptr) {
    OFSTRUCT of{};
    std::string from = source;
    std::string to = target;
    INT in = LZOpenFileA(&from[0], &of, OF_READ);
    INT out = LZOpenFileA(&to[0], &of, OF_CREATE | OF_WRITE);
    if (sourceHandle != nullptr) {
        *sourceHandle = in;
    }
    LONG result = in >= 0 && out >= 0 ? LZCopy(in, out) : LZERROR_BADINHANDLE;
    LZClose(out);
    LZClose(in);
    EXPECT_EQ(m.lz.OpenHandleCount(), 0);
    EXPECT_EQ(m.files.OpenFileCount(), 0);
    return result;
}

struct CopyCase {
    const char* name;
    Bytes source;
    bool lzHandle;  // OF_READ gives a handle of 0x400 or more
    LONG result;
    Bytes target;
};

TEST(Lz32, ExpandsSzddAndCopiesEverythingElse) {
    const Bytes original = Original();
    const Bytes packed = Packed();
    Bytes cut(packed.begin(), packed.begin() + packed.size() / 2);
    Bytes expandedCut;
    EXPECT_EQ(szdd::Expand(cut.data(), cut.size(), expandedCut), szdd::ExpandStatus::Truncated);
    ASSERT_LT(expandedCut.size(), original.size());
    Bytes otherMode = packed;
    otherMode[8] = 'B';
    Bytes shortMagic(packed.begin(), packed.begin() + 10);
    const std::vector<CopyCase> cases = {
        {"SZDD", packed, true, static_cast<LONG>(original.size()), original},
        {"plain", original, false, static_cast<LONG>(original.size()), original},
        {"empty plain", {}, false, 0, {}},
        {"truncated stream: short count, no error", cut, true,
         static_cast<LONG>(expandedCut.size()), expandedCut},
        {"header only", Bytes(packed.begin(), packed.begin() + szdd::kHeaderSize), true, 0, {}},
        {"mode other than A: empty file, success", otherMode, false, 0, {}},
        {"magic but shorter than a header: copied", shortMagic, false, 10, shortMagic},
    };
    for (const CopyCase& c : cases) {
        SCOPED_TRACE(c.name);
        host::Machine& m = Prepared();
        m.files.WriteFile("C:\\TEMP\\TVN2c1", c.source);
        INT in = -1;
        EXPECT_EQ(Expand(m, "C:\\TEMP\\TVN2c1", "C:\\Target\\Tolvane.exe", &in), c.result);
        EXPECT_GE(in, 0);
        EXPECT_EQ(in >= 0x400, c.lzHandle);
        EXPECT_TRUE(m.files.ReadFile("C:\\Target\\Tolvane.exe") == c.target);
    }
}

TEST(Lz32, CreateTruncatesAnExistingTarget) {
    host::Machine& m = Prepared();
    m.files.WriteFile("C:\\TEMP\\src", {1, 2});
    m.files.WriteFile("C:\\Target\\Tolvane.exe", Bytes(5000, 7));
    EXPECT_EQ(Expand(m, "C:\\TEMP\\src", "C:\\Target\\Tolvane.exe"), 2);
    EXPECT_EQ(m.files.ReadFile("C:\\Target\\Tolvane.exe"), (Bytes{1, 2}));
}

// A failed open is tried again under the library's "compressed" name, for OF_CREATE too.
struct RetryCase {
    const char* name;
    WORD style;
    std::string asked;
    std::string existing;  // the file that is there ("" none)
    bool heldOpen;
    INT opened;  // 0: a handle; else the negative result
    WORD errorCode;
    std::string pathName;  // szPathName afterwards
};

TEST(Lz32, RetriesAFailedOpenUnderTheUnderscoreName) {
    const WORD kCreate = OF_CREATE | OF_WRITE;
    const std::vector<RetryCase> cases = {
        {"held-open target", kCreate, "C:\\Target\\Tolvane.exe", "C:\\Target\\Tolvane.exe", true, 0,
         0, "C:\\Target\\Tolvane.ex_"},
        {"source with its compressed name", OF_READ, "C:\\TEMP\\setup.exe", "C:\\TEMP\\setup.ex_",
         false, 0, 0, "C:\\TEMP\\setup.ex_"},
        {"short extension gains one", OF_READ, "C:\\TEMP\\a.b", "C:\\TEMP\\a.b_", false, 0, 0,
         "C:\\TEMP\\a.b_"},
        {"no extension gains ._", OF_READ, "C:\\TEMP\\TVN2c1", "C:\\TEMP\\TVN2c1._", false, 0, 0,
         "C:\\TEMP\\TVN2c1._"},
        {"missing source", OF_READ, "C:\\TEMP\\TVN2c1", "", false, LZERROR_BADINHANDLE, 2, ""},
        {"missing directory", kCreate, "C:\\Nowhere\\Tolvane.exe", "", false, LZERROR_BADINHANDLE,
         3, ""},
        {"directory part is a file", kCreate, "C:\\TEMP\\TVN2c1\\Tolvane.exe", "C:\\TEMP\\TVN2c1",
         false, LZERROR_BADINHANDLE, 3, ""},
        {"128 characters", kCreate, "C:\\Target\\" + std::string(118, 'a'), "", false,
         LZERROR_BADINHANDLE, 13, ""},
    };
    for (const RetryCase& c : cases) {
        SCOPED_TRACE(c.name);
        host::Machine& m = Prepared();
        if (!c.existing.empty()) {
            m.files.WriteFile(c.existing, {42});
        }
        if (c.heldOpen) {
            m.files.HoldOpen(c.existing);
        }
        OFSTRUCT of{};
        of.cBytes = sizeof of;
        std::string name = c.asked;
        INT handle = LZOpenFileA(&name[0], &of, c.style);
        if (c.opened == 0) {
            EXPECT_GE(handle, 0);
            EXPECT_STREQ(of.szPathName, c.pathName.c_str());
        } else {
            EXPECT_EQ(handle, c.opened);
        }
        EXPECT_EQ(of.nErrCode, c.errorCode);
        LZClose(handle);
        if (c.heldOpen) {
            EXPECT_EQ(m.files.ReadFile(c.existing), (Bytes{42}));
        }
    }
}

TEST(Lz32, OpenFailuresGiveTheirErrorCodes) {
    struct Case {
        const char* name;
        WORD errorCode;
    };
    host::Machine& m = Prepared();
    m.files.MakeDirectories("C:\\Locked");
    m.files.SetReadOnly("C:\\Locked");
    m.files.WriteFile("C:\\Target\\a.exe", {});
    m.files.WriteFile("C:\\Target\\a.ex_", {});
    m.files.HoldOpen("C:\\Target\\a.exe");
    m.files.HoldOpen("C:\\Target\\a.ex_");
    std::string exactly127 = "C:\\Target\\" + std::string(117, 'b');
    const Case cases[] = {
        {"C:\\Locked\\Tolvane.exe", ERROR_ACCESS_DENIED},
        {"C:\\Target\\a.exe", ERROR_SHARING_VIOLATION},
        {exactly127.c_str(), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OFSTRUCT of{};
        std::string name = c.name;
        INT handle = LZOpenFileA(&name[0], &of, OF_CREATE | OF_WRITE);
        EXPECT_EQ(handle < 0, c.errorCode != 0);
        EXPECT_EQ(of.nErrCode, c.errorCode);
        LZClose(handle);
    }
    EXPECT_TRUE(m.files.IsFile(exactly127));
}

TEST(Lz32, FullDiskDuringCopyIsAWriteError) {
    host::Machine& m = Prepared();
    m.files.WriteFile("C:\\TEMP\\TVN2c1", Packed());
    m.files.SetFreeSpace('C', 1000);
    EXPECT_EQ(Expand(m, "C:\\TEMP\\TVN2c1", "C:\\Target\\Tolvane.exe"), LZERROR_WRITE);
    EXPECT_EQ(m.files.ReadFile("C:\\Target\\Tolvane.exe").size(), 1000u);
}

TEST(Lz32, OpenHandlesKeepTheirFilesAndCloseInOrder) {
    host::Machine& m = Prepared();
    m.files.WriteFile("C:\\TEMP\\TVN2c1", Packed());
    OFSTRUCT of{};
    char source[] = "C:\\TEMP\\TVN2c1";
    char target[] = "C:\\Target\\Tolvane.exe";
    INT in = LZOpenFileA(source, &of, OF_READ);
    INT out = LZOpenFileA(target, &of, OF_CREATE | OF_WRITE);
    ASSERT_GE(in, 0x400);
    ASSERT_GE(out, 0);
    EXPECT_FALSE(DeleteFileA(source));
    EXPECT_EQ(m.lastError, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(LZCopy(out, in), LZERROR_BADOUTHANDLE);
    EXPECT_EQ(LZCopy(in, out), static_cast<LONG>(Original().size()));
    EXPECT_EQ(LZCopy(in, out), 0);  // the source is read to its end
    LZClose(out);
    LZClose(in);
    LZClose(in);
    EXPECT_EQ(m.lz.closed, (std::vector<INT>{out, in}));
    EXPECT_EQ(m.CallCount("LZClose"), 3);
    EXPECT_TRUE(DeleteFileA(source));
    EXPECT_EQ(m.calls[0].args, "\"C:\\TEMP\\TVN2c1\", 0x0");
    EXPECT_EQ(m.calls[1].args, "\"C:\\Target\\Tolvane.exe\", 0x1001");
}

TEST(Lz32, FaultsFailTheCall) {
    host::Machine& m = Prepared();
    m.files.WriteFile("C:\\TEMP\\TVN2c1", Packed());
    m.FailCall("LZOpenFileA", 2);
    m.FailCall("LZCopy", 1);
    OFSTRUCT of{};
    char source[] = "C:\\TEMP\\TVN2c1";
    char target[] = "C:\\Target\\Tolvane.exe";
    INT in = LZOpenFileA(source, &of, OF_READ);
    EXPECT_EQ(LZOpenFileA(target, &of, OF_CREATE | OF_WRITE), LZERROR_BADINHANDLE);
    EXPECT_EQ(of.nErrCode, ERROR_ACCESS_DENIED);
    EXPECT_FALSE(m.files.IsFile(target));
    INT out = LZOpenFileA(target, &of, OF_CREATE | OF_WRITE);
    EXPECT_EQ(LZCopy(in, out), LZERROR_READ);
    EXPECT_TRUE(m.files.ReadFile(target).empty());
    LZClose(out);
    LZClose(in);
    EXPECT_EQ(m.lz.OpenHandleCount(), 0);
}

}  // namespace
