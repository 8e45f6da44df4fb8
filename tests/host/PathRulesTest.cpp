// The parent-path rule and the existence test.
#include <gtest/gtest.h>

#include <string>

#include "paths/PathRules.h"
#include "support/InstallerRun.h"

namespace {

struct ParentCase {
    const char* text;
    const char* parent;
};

TEST(PathRules, ParentPathCutsAtTheLastSeparatorOfEitherKind) {
    host::NewMachine();
    const ParentCase cases[] = {
        {"D:\\Program Files\\Brindlecot", "D:\\Program Files"},
        {"D:\\Tolvane", "D:"},
        {"D:\\", "D:"},
        {"D:", ""},
        {"D:\\Tolvane\\", "D:\\Tolvane"},
        {"D:/Data\\Tolvane", "D:/Data"},
        {"D:\\Data/Tolvane", "D:\\Data"},
        {"X\\Tolvane", "X"},
        {"\\\\Tolvane", "\\"},
        {"\\Tolvane", ""},
        {"Tolvane", ""},
        {"", ""},
    };
    for (const ParentCase& c : cases) {
        EXPECT_EQ(std::string(ParentPath(c.text)), c.parent) << '"' << c.text << '"';
    }
}

TEST(PathRules, ATrailByteWithTheBackslashCodeNeverCuts) {
    // 0x83 0x5C is one character in code page 932; elsewhere 0x5C is a backslash.
    const char* text = "D:\\\x83\x5CTol";
    const char* nested = "D:\\\x83\x5C\\Tol";
    host::Machine& m = host::NewMachine();
    m.codePage = 932;
    EXPECT_EQ(std::string(ParentPath(text)), "D:");
    EXPECT_EQ(std::string(ParentPath(nested)), "D:\\\x83\x5C");
    EXPECT_EQ(std::string(ParentPath("\x83\x5C")), "");
    m.codePage = 1252;
    EXPECT_EQ(std::string(ParentPath(text)), "D:\\\x83");
}

struct ExistsCase {
    const char* text;
    bool exists;
};

TEST(PathRules, PathExistsForAnythingThePlatformHasAttributesFor) {
    host::Machine& m = StandardMachine();
    m.files.AddDrive('D');
    m.files.MakeDirectories("D:\\Program Files");
    m.files.WriteFile("D:\\Program Files\\readme.txt", {'x'});
    const ExistsCase cases[] = {
        {"D:\\Program Files", true},
        {"d:/program files/", true},
        {"D:\\Program Files\\readme.txt", true},  // a file counts too
        {"D:\\", true},
        {"D:", true},              // the drive's current directory
        {"Program Files", false},  // relative to C:\SETUP
        {"D:\\Program Files\\Brindlecot", false},
        {"Q:\\", false},
        {"Q:", false},
        {"", false},
    };
    for (const ExistsCase& c : cases) {
        EXPECT_EQ(PathExists(c.text), c.exists) << '"' << c.text << '"';
    }
    // The answer is the attribute query's, whatever the reason it fails.
    m.FailCall("GetFileAttributesA", m.CallCount("GetFileAttributesA") + 1);
    EXPECT_FALSE(PathExists("D:\\Program Files"));
}

}  // namespace
