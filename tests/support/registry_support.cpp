#include "registry_support.h"

#include <sddl.h>
#include <string.h>

#include <gtest/gtest.h>

namespace registry {

const char kOpenDacl[] = "D:P(A;;KA;;;WD)";
const char kReadOnlyDacl[] = "D:P(A;;KR;;;WD)(A;;KR;;;BA)(A;;KR;;;SY)";

std::string SiblingKey(int sibling)
{
    return "System\\CurrentControlSet\\Services\\vlnpx1" + std::to_string(sibling + 1);
}

Bytes DwordBytes(DWORD value)
{
    return {BYTE(value), BYTE(value >> 8), BYTE(value >> 16), BYTE(value >> 24)};
}

Bytes TextBytes(const char* text)
{
    return Bytes(text, text + strlen(text) + 1);
}

StoredValue Dword(DWORD value)
{
    return {REG_DWORD, DwordBytes(value)};
}

StoredValue Text(DWORD type, const char* text)
{
    return {type, TextBytes(text)};
}

void StoreValue(const std::string& path, const char* name, DWORD type, const BYTE* data, DWORD length)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS) << path;
    EXPECT_EQ(RegSetValueExA(key, name, 0, type, data, length), ERROR_SUCCESS) << path << "\\" << name;
    RegCloseKey(key);
}

void StoreValues(const std::string& path, const ValueMap& values)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS) << path;
    for (const auto& [name, value] : values) {
        EXPECT_EQ(RegSetValueExA(key, name.c_str(), 0, value.first, value.second.data(), DWORD(value.second.size())),
                  ERROR_SUCCESS) << path << "\\" << name;
    }
    RegCloseKey(key);
}

KeyState ReadValues(const std::string& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    ValueMap values;
    char name[256];  // the value names here are short
    BYTE data[1024];
    DWORD nameLength = sizeof name, type = 0, dataLength = sizeof data;
    for (DWORD index = 0; RegEnumValueA(key, index, name, &nameLength, nullptr, &type, data, &dataLength) == 0;
         ++index, nameLength = sizeof name, dataLength = sizeof data) {
        values[name] = {type, Bytes(data, data + dataLength)};
    }
    RegCloseKey(key);
    return values;
}

void SetKeyDacl(const std::string& path, const char* sddl)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor, nullptr));
    HKEY key = nullptr;
    LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, WRITE_DAC, &key);
    if (status == ERROR_SUCCESS) {
        status = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor);
        RegCloseKey(key);
    }
    LocalFree(descriptor);
    ASSERT_EQ(status, ERROR_SUCCESS) << path;
}

void DeleteKey(const std::string& path)
{
    for (const std::string& key : {path + "\\Parameters", path}) {
        if (ReadValues(key)) {
            SetKeyDacl(key, kOpenDacl);
        }
    }
    const LONG status = RegDeleteTreeA(HKEY_LOCAL_MACHINE, path.c_str());
    ASSERT_TRUE(status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) << path << ": " << status;
    ASSERT_FALSE(ReadValues(path)) << path;
}

}  // namespace registry
