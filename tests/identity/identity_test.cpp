// The identity of a built setupb.exe, read from its resources as Windows
// reads them: the version information and the application manifest.
// The program file is the build's own, or the one named by SETUPB_IDENTITY_EXE
// (a Linux path), which the win64 suite points at the win32 build.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "setupb_version.h"
#include "wine_path.h"

namespace {

std::string ProgramUnixPath()
{
    char value[MAX_PATH] = "";
    const DWORD length = GetEnvironmentVariableA("SETUPB_IDENTITY_EXE", value, sizeof value);
    if (length > 0 && length < sizeof value) {
        return value;
    }
    return SETUPB_EXE_UNIX_PATH;
}


class Identity : public testing::Test {
protected:
    void SetUp() override
    {
        path = WindowsPathOf(ProgramUnixPath());
        if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
            GTEST_SKIP() << "no program file at " << path << " (that build has not been made)";
        }
    }

    std::string path;
};

// One string of the neutral-language, code page 1252 block; null when missing.
const char* VersionString(const std::vector<char>& info, const char* name)
{
    const std::string query = std::string("\\StringFileInfo\\000004e4\\") + name;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(info.data(), query.c_str(), &value, &length) || value == nullptr) {
        return nullptr;
    }
    return static_cast<const char*>(value);
}

TEST_F(Identity, VersionInformationIsLanguageNeutralAndComplete)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    ASSERT_GT(size, 0u) << "no version information in " << path << ", error " << GetLastError();
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, info.data()));

    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", &value, &length));
    ASSERT_GE(length, 4u);
    const WORD* translation = static_cast<const WORD*>(value);
    EXPECT_EQ(translation[0], 0x0000) << "language";
    EXPECT_EQ(translation[1], 1252) << "code page";

    static const char* const fields[] = {"CompanyName",      "FileDescription", "FileVersion",
                                         "InternalName",     "LegalCopyright",  "OriginalFilename",
                                         "ProductName",      "ProductVersion"};
    for (const char* field : fields) {
        const char* text = VersionString(info, field);
        ASSERT_NE(text, nullptr) << field << " is missing";
        EXPECT_GT(strlen(text), 0u) << field << " is empty";
    }
    // What installers and the file's properties go by.
    EXPECT_STREQ(VersionString(info, "OriginalFilename"), "setupb.exe");
    EXPECT_STREQ(VersionString(info, "FileVersion"), SETUPB_VERSION_TEXT);
    EXPECT_STREQ(VersionString(info, "ProductVersion"), SETUPB_VERSION_TEXT);

    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", &value, &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    const VS_FIXEDFILEINFO* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(MAKELONG(SETUPB_VERSION_MINOR, SETUPB_VERSION_MAJOR)));
    EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(MAKELONG(0, SETUPB_VERSION_PATCH)));
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
}

BOOL CALLBACK CountLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR param)
{
    reinterpret_cast<std::vector<WORD>*>(param)->push_back(language);
    return TRUE;
}

BOOL CALLBACK CountName(HMODULE, LPCSTR, LPSTR, LONG_PTR param)
{
    ++*reinterpret_cast<int*>(param);
    return TRUE;
}

TEST_F(Identity, ManifestAsksForAdministratorAndNoNewerCommonControls)
{
    HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr) << "cannot load " << path << " as data, error " << GetLastError();

    // Exactly one manifest, the one Windows applies when it starts the program.
    int manifests = 0;
    EnumResourceNamesA(module, RT_MANIFEST, CountName, reinterpret_cast<LONG_PTR>(&manifests));
    EXPECT_EQ(manifests, 1);
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(1), RT_MANIFEST);
    ASSERT_NE(resource, nullptr) << "no RT_MANIFEST with id 1";
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(module, resource)));
    ASSERT_NE(bytes, nullptr);
    const std::string manifest(bytes, SizeofResource(module, resource));

    EXPECT_EQ(manifest.rfind("<?xml", 0), 0u) << manifest;
    EXPECT_NE(manifest.find("</assembly>"), std::string::npos) << manifest;
    EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"requireAdministrator\""), std::string::npos)
        << manifest;
    EXPECT_EQ(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos) << manifest;

    // The version information is stored once, under the neutral language.
    std::vector<WORD> languages;
    EnumResourceLanguagesA(module, RT_VERSION, MAKEINTRESOURCEA(VS_VERSION_INFO), CountLanguage,
                           reinterpret_cast<LONG_PTR>(&languages));
    EXPECT_EQ(languages, std::vector<WORD>{MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL)});

    FreeLibrary(module);
}

}  // namespace
