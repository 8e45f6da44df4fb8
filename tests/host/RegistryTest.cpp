// Reading and writing the installer's registry values.
#include <gtest/gtest.h>

#include <ostream>

#include "settings/InstallerValues.h"
#include "support/InstallerRun.h"

namespace {

const char kKey[] = "SOFTWARE\\Brindlecot\\Tolvane\\ActiveX";

struct ReadCase {
    const char* name;
    bool key;
    bool value;
    DWORD type;
    std::vector<BYTE> data;
    bool expected;
    std::string text;  // the text afterwards ("untouched" where the read fails)
};

// Parameters print by name: their padding bytes are not values.
void PrintTo(const ReadCase& c, std::ostream* out) {
    *out << c.name;
}

class ReadString : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadString, IsTrueOnlyForAPlainStringAndLeavesTheTextOtherwise) {
    const ReadCase& c = GetParam();
    host::Machine& m = host::NewMachine();
    if (c.key) {
        m.registry.CreateKey(HKEY_LOCAL_MACHINE, kKey);
    }
    if (c.value) {
        m.registry.SetValue(HKEY_LOCAL_MACHINE, kKey, "", c.type, c.data);
    }
    CString text = "untouched";
    EXPECT_EQ(RegReadString(HKEY_LOCAL_MACHINE, kKey, nullptr, text), c.expected) << c.name;
    EXPECT_EQ(std::string(text), c.text) << c.name;
    EXPECT_EQ(m.registry.OpenKeyCount(), 0) << c.name;
}

std::vector<BYTE> Text(const std::string& s) {
    return std::vector<BYTE>(s.begin(), s.end());
}

std::vector<BYTE> Terminated(const std::string& s) {
    std::vector<BYTE> bytes = Text(s);
    bytes.push_back(0);
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Values, ReadString,
    ::testing::Values(
        ReadCase{"missing key", false, false, REG_SZ, {}, false, "untouched"},
        ReadCase{"missing value", true, false, REG_SZ, {}, false, "untouched"},
        ReadCase{"dword", true, true, REG_DWORD, {1, 0, 0, 0}, false, "untouched"},
        ReadCase{"expandable", true, true, REG_EXPAND_SZ, Terminated("D:\\X"), false, "untouched"},
        ReadCase{"empty string", true, true, REG_SZ, Terminated(""), true, ""},
        ReadCase{"zero size", true, true, REG_SZ, {}, true, ""},
        ReadCase{"no terminating zero", true, true, REG_SZ, Text("D:\\Apps"), true, "D:\\Apps"},
        ReadCase{"embedded zero", true, true, REG_SZ, Terminated(std::string("D:\\A\0B", 6)), true,
                 "D:\\A"},
        ReadCase{"long", true, true, REG_SZ, Terminated(std::string(5000, 'x')), true,
                 std::string(5000, 'x')}));

TEST(ReadString, AValueThatGrowsBetweenTheTwoQueriesIsRefused) {
    host::Machine& m = host::NewMachine();
    m.registry.SetString(HKEY_LOCAL_MACHINE, kKey, "", "D:\\A");
    m.registry.afterSizeQuery = [&](const std::string&, const std::string&) {
        m.registry.SetString(HKEY_LOCAL_MACHINE, kKey, "", "D:\\A much longer directory");
    };
    CString text = "untouched";
    EXPECT_FALSE(RegReadString(HKEY_LOCAL_MACHINE, kKey, nullptr, text));
    EXPECT_EQ(std::string(text), "untouched");
    EXPECT_EQ(m.registry.OpenKeyCount(), 0);
}

TEST(ReadString, AValueThatTurnsIntoAnotherTypeIsRefused) {
    host::Machine& m = host::NewMachine();
    m.registry.SetString(HKEY_LOCAL_MACHINE, kKey, "", "D:\\A");
    m.registry.afterSizeQuery = [&](const std::string&, const std::string&) {
        m.registry.SetValue(HKEY_LOCAL_MACHINE, kKey, "", REG_EXPAND_SZ, Terminated("D:\\B"));
    };
    CString text;
    EXPECT_FALSE(RegReadString(HKEY_LOCAL_MACHINE, kKey, nullptr, text));
}

TEST(ReadString, AKeyThatCannotBeOpenedIsRefused) {
    host::Machine& m = host::NewMachine();
    m.registry.SetString(HKEY_LOCAL_MACHINE, kKey, "", "D:\\A");
    m.registry.unopenableKeys.insert("SOFTWARE\\BRINDLECOT\\TOLVANE\\ACTIVEX");
    CString text = "untouched";
    EXPECT_FALSE(RegReadString(HKEY_LOCAL_MACHINE, kKey, nullptr, text));
    EXPECT_EQ(std::string(text), "untouched");
}

TEST(SaveInstallDir, StoresTheTextWithItsZeroAndCreatesTheKeyChain) {
    const std::pair<const char*, std::size_t> cases[] = {{"D:\\Apps", 8}, {"", 1}};
    for (const auto& [directory, size] : cases) {
        host::Machine& m = host::NewMachine();
        ASSERT_FALSE(m.registry.KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Brindlecot"));
        SaveInstallDir(directory);
        const host::RegValue* value = m.registry.FindValue(HKEY_LOCAL_MACHINE, kKey, "");
        ASSERT_NE(value, nullptr);
        EXPECT_EQ(value->type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(value->data.size(), size);
        EXPECT_EQ(value->data.back(), 0);
        EXPECT_EQ(m.registry.OpenKeyCount(), 0);
        // What one installation writes, the next run proposes.
        CString read;
        EXPECT_TRUE(RegReadString(HKEY_LOCAL_MACHINE, kKey, nullptr, read));
        EXPECT_EQ(std::string(read), directory);
    }
}

TEST(SaveInstallDir, ARefusedWriteReturnsNormallyAndChangesNothing) {
    for (int way = 0; way < 2; ++way) {
        host::Machine& m = host::NewMachine();
        if (way == 0) {
            m.registry.refuseWrites = true;
        } else {
            m.registry.CreateKey(HKEY_LOCAL_MACHINE, kKey);
            m.FailCall("RegSetValueExA", 1);
        }
        const std::string before = m.registry.Dump();
        SaveInstallDir("D:\\Apps");
        EXPECT_EQ(m.registry.Dump(), before);
        EXPECT_EQ(m.registry.OpenKeyCount(), 0);
    }
}

}  // namespace
