// The registry key wrapper, in-process, on a key of the test's own.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "install/registry_key.h"
#include "test_env.h"

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
    EXPECT_EQ(key.ReadString(L"Value"), L"held");

    key.Close();
    EXPECT_FALSE(key.IsStringValue(L"Value"));
    EXPECT_EQ(key.ReadString(L"Value"), L"");
    key.Close();  // closing twice does nothing
    EXPECT_TRUE(key.Open(subKey_.c_str(), HKEY_CURRENT_USER));
}

struct StoredValue {
    const char* name;
    DWORD type;
    std::string bytes;      // stored as they are, through the ANSI call (or as UTF-16, see below)
    bool isString;
    std::wstring expected;  // what ReadString gives
    bool storedWide = false;
};

class RegistryKeyValueTest : public RegistryKeyTest, public ::testing::WithParamInterface<StoredValue> {};

TEST_P(RegistryKeyValueTest, ReadsOnlyStringValuesThatFitTheBuffer) {
    const StoredValue& value = GetParam();
    if (value.storedWide) {
        // The bytes are UTF-8 here: stored as the UTF-16 a user's folder name has.
        const std::wstring text = testenv::WideFromUtf8(value.bytes);
        ASSERT_EQ(RegSetValueExW(key_, L"Value", 0, value.type, reinterpret_cast<const BYTE*>(text.c_str()),
                                 static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    } else {
        Store("Value", value.type, value.bytes);
    }
    RegistryKey key;
    ASSERT_TRUE(key.Open(subKey_.c_str(), HKEY_CURRENT_USER));
    EXPECT_EQ(key.IsStringValue(L"Value"), value.isString);
    EXPECT_TRUE(key.ReadString(L"Value") == value.expected);
    EXPECT_FALSE(key.IsStringValue(L"Absent"));
    EXPECT_EQ(key.ReadString(L"Absent"), L"");
}

std::string Terminated(const std::string& text) {
    return std::string(text.c_str(), text.size() + 1);
}

const std::string k255(255, 'a');
const std::string k256(256, 'b');
const std::wstring k255Wide(255, L'a');

INSTANTIATE_TEST_SUITE_P(
    Values, RegistryKeyValueTest,
    ::testing::Values(StoredValue{"Plain", REG_SZ, Terminated("C:\\Program Files"), true, L"C:\\Program Files"},
                      StoredValue{"Empty", REG_SZ, Terminated(""), true, L""},
                      StoredValue{"Of255Characters", REG_SZ, Terminated(k255), true, k255Wide},
                      StoredValue{"Of256Characters", REG_SZ, Terminated(k256), true, L""},
                      StoredValue{"WithoutTerminator", REG_SZ, "C:\\Games", true, L"C:\\Games"},
                      StoredValue{"Of256CharactersWithoutTerminator", REG_SZ, k256, true, L""},
                      StoredValue{"ExpandString", REG_EXPAND_SZ, Terminated("%ProgramFiles%"), false, L""},
                      StoredValue{"Number", REG_DWORD, std::string("\x01\x00\x00\x00", 4), false, L""},
                      StoredValue{"MultiString", REG_MULTI_SZ, std::string("a\0b\0\0", 5), false, L""},
                      // Read whole, not best fitted into the code page as "C:\Program Files".
                      StoredValue{"OutsideTheCodePage", REG_SZ, "C:\\Progr\xCE\xB1m Files", true,
                                  L"C:\\Progr\u03B1m Files", true}),
    [](const ::testing::TestParamInfo<StoredValue>& info) { return std::string(info.param.name); });

}  // namespace
