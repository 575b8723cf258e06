// The registry key wrapper, in-process, on a key of the test's own.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "install/registry_key.h"

namespace {

class RegistryKeyTest : public ::testing::Test {
protected:
    void SetUp() override {
        subKey_ = "Software\\InstallRegistryKeyTest-" + std::to_string(GetCurrentProcessId());
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, subKey_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                                  nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        RegCloseKey(key_);
        RegDeleteKeyA(HKEY_CURRENT_USER, subKey_.c_str());
    }

    // Stores `bytes` as they are: no terminator is added.
    void Store(const char* name, DWORD type, const std::string& bytes) {
        ASSERT_EQ(RegSetValueExA(key_, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                 static_cast<DWORD>(bytes.size())),
                  ERROR_SUCCESS);
    }
    void StoreText(const char* name, DWORD type, const std::string& text) {
        Store(name, type, std::string(text.c_str(), text.size() + 1));
    }

    std::string subKey_;
    HKEY key_ = nullptr;
};

TEST_F(RegistryKeyTest, OpensOnlyAnExistingKeyAndOnlyOneAtATime) {
    RegistryKey key;
    const std::string missing = subKey_ + "\\Missing";
    EXPECT_FALSE(key.Open(missing.c_str(), HKEY_CURRENT_USER));
    HKEY probe = nullptr;
    EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, missing.c_str(), 0, KEY_READ, &probe), ERROR_SUCCESS)
        << "the missing key was created";

    StoreText("Value", REG_SZ, "held");
    ASSERT_TRUE(key.Open(subKey_.c_str(), HKEY_CURRENT_USER));
    EXPECT_FALSE(key.Open(subKey_.c_str(), HKEY_CURRENT_USER));
    EXPECT_EQ(key.ReadString("Value"), "held");

    key.Close();
    EXPECT_FALSE(key.IsStringValue("Value"));
    EXPECT_EQ(key.ReadString("Value"), "");
    key.Close();  // closing twice does nothing
    EXPECT_TRUE(key.Open(subKey_.c_str(), HKEY_CURRENT_USER));
}

struct StoredValue {
    const char* name;
    DWORD type;
    std::string bytes;     // stored as they are
    bool isString;
    std::string expected;  // what ReadString gives
};

class RegistryKeyValueTest : public RegistryKeyTest, public ::testing::WithParamInterface<StoredValue> {};

TEST_P(RegistryKeyValueTest, ReadsOnlyStringValuesThatFitTheBuffer) {
    const StoredValue& value = GetParam();
    Store("Value", value.type, value.bytes);
    RegistryKey key;
    ASSERT_TRUE(key.Open(subKey_.c_str(), HKEY_CURRENT_USER));
    EXPECT_EQ(key.IsStringValue("Value"), value.isString);
    EXPECT_EQ(key.ReadString("Value"), value.expected);
    EXPECT_FALSE(key.IsStringValue("Absent"));
    EXPECT_EQ(key.ReadString("Absent"), "");
}

std::string Terminated(const std::string& text) {
    return std::string(text.c_str(), text.size() + 1);
}

const std::string k255(255, 'a');
const std::string k256(256, 'b');

INSTANTIATE_TEST_SUITE_P(
    Values, RegistryKeyValueTest,
    ::testing::Values(StoredValue{"Plain", REG_SZ, Terminated("C:\\Program Files"), true, "C:\\Program Files"},
                      StoredValue{"Empty", REG_SZ, Terminated(""), true, ""},
                      StoredValue{"Of255Characters", REG_SZ, Terminated(k255), true, k255},
                      StoredValue{"Of256Characters", REG_SZ, Terminated(k256), true, ""},
                      StoredValue{"WithoutTerminator", REG_SZ, "C:\\Games", true, "C:\\Games"},
                      StoredValue{"Of256CharactersWithoutTerminator", REG_SZ, k256, true, ""},
                      StoredValue{"ExpandString", REG_EXPAND_SZ, Terminated("%ProgramFiles%"), false, ""},
                      StoredValue{"Number", REG_DWORD, std::string("\x01\x00\x00\x00", 4), false, ""},
                      StoredValue{"MultiString", REG_MULTI_SZ, std::string("a\0b\0\0", 5), false, ""}),
    [](const ::testing::TestParamInfo<StoredValue>& info) { return std::string(info.param.name); });

}  // namespace
