// The string catalogue as compiled into a built setupb.exe, read through the
// ANSI loader: which ids hold a text, how accented letters, blanks and line
// feeds come through, and that every text fits the buffer it is loaded into.
//
// The program file is SETUPB_BUILT_EXE (this build's own), or the file named
// by SETUPB_CATALOGUE_EXE (a Unix or Windows path) when that is set.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "resource.h"
#include "wine_path.h"

namespace {

const int blockBases[] = {BASE_ENGLISH, BASE_FRENCH, BASE_GERMAN, BASE_ITALIAN, BASE_SPANISH};
constexpr int TextsPerBlock = 26;

bool OffsetHoldsText(int offset)
{
    const int emptyOffset = 19;
    return offset >= TXT_PRODUCT_TITLE && offset <= TXT_INSTALL_FAILED && offset != emptyOffset;
}

// The buffer each offset is loaded into: 260 characters for the copy line
// prefixes and the message-box texts, 220 for titles and labels.
int CapacityOf(int offset)
{
    const bool wide = offset == TXT_COPY_PREFIX || offset == TXT_TARGET_PREFIX || offset == TXT_RESTART_NOTICE ||
                      offset == TXT_INPUT_ERROR_TEXT || offset == TXT_BAD_DIR_TEXT || offset == TXT_INSTALL_FAILED;
    return wide ? 260 : 220;
}


class Catalogue : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* chosen = getenv("SETUPB_CATALOGUE_EXE");
        const std::string path = WindowsPathOf(chosen != nullptr ? chosen : SETUPB_BUILT_EXE);
        if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
            if (chosen != nullptr) {
                GTEST_SKIP() << path << " does not exist: build that program to have its catalogue checked";
            }
            FAIL() << "the built program is missing: " << path;
        }
        module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module, nullptr) << path << ", error " << GetLastError();
    }
    void TearDown() override
    {
        if (module != nullptr) {
            FreeLibrary(module);
        }
    }

    std::string Load(int id, int capacity = 1024) const
    {
        char buffer[1024];
        const int length = LoadStringA(module, static_cast<UINT>(id), buffer, capacity);
        return std::string(buffer, static_cast<size_t>(length));
    }

    HMODULE module = nullptr;
};

TEST_F(Catalogue, TextsStandAtTheirIdsAndNowhereElse)
{
    int texts = 0;
    for (int id = 0; id <= 0xFFFF; ++id) {
        const int inCatalogue = id - CATALOGUE_ORIGIN - BASE_ENGLISH;
        const int offset = inCatalogue % CATALOGUE_BLOCK_SIZE;
        const bool expected = inCatalogue >= 0 && inCatalogue < 5 * CATALOGUE_BLOCK_SIZE && OffsetHoldsText(offset);
        const bool present = !Load(id).empty();
        EXPECT_EQ(present, expected) << "id " << id;
        texts += present;
    }
    EXPECT_EQ(texts, 5 * TextsPerBlock);
}

// Every byte is printable ASCII, a line feed, or one of the accented letters
// and marks of code page 1252 that the translations use; the English block is
// plain ASCII. A file read in the wrong encoding shows up as other bytes.
TEST_F(Catalogue, TextsUseOnlyTheirCodePage1252Characters)
{
    const std::string extras = "\xE0\xE1\xE4\xC4\xE8\xE9\xEA\xF6\xFC\x92\xBF";
    std::string seen;
    for (int base : blockBases) {
        for (int offset = 0; offset < CATALOGUE_BLOCK_SIZE; ++offset) {
            for (char c : Load(CATALOGUE_ORIGIN + base + offset)) {
                const bool ascii = (c >= 0x20 && c < 0x7F) || c == '\n';
                const bool extra = extras.find(c) != std::string::npos && base != BASE_ENGLISH;
                EXPECT_TRUE(ascii || extra) << "id " << CATALOGUE_ORIGIN + base + offset << " byte 0x" << std::hex
                                            << (c & 0xFF);
                seen += extra ? std::string(1, c) : "";
            }
        }
    }
    for (char c : extras) {
        EXPECT_NE(seen.find(c), std::string::npos) << "never seen: 0x" << std::hex << (c & 0xFF);
    }
}

TEST_F(Catalogue, AccentedTextsArriveAsCodePage1252Bytes)
{
    EXPECT_EQ(Load(384), "Les modifications r\xE9" "alis\xE9" "es ne deviennent effectives qu\x92" "apr\xE8" "s avoir "
                         "relanc\xE9 l\x92ordinateur.");
    EXPECT_EQ(Load(390), "L\x92" "adaptateur VELNARI n\x92" "a pu \xEAtre install\xE9" "e.");
    EXPECT_EQ(Load(416), "Die vorgenommenen \xC4nderungen werden erst nach einem Neustart des Computers wirksam.");
    EXPECT_EQ(Load(418), "Die eingegebenen Werte sind ung\xFCltig.\n\nBitte geben Sie die Werte neu ein.");
    EXPECT_NE(Load(421).find(" M\xF6" "chten Sie den gegenw\xE4rtig installierten"), std::string::npos);
    EXPECT_NE(Load(453).find(" VELNARI \xE8 gi\xE0 inserito "), std::string::npos);
    EXPECT_EQ(Load(480), "Los cambios hechos no tendr\xE1n efecto sino despu\xE9s de nueva puesta en marcha del ordenador.");
    EXPECT_NE(Load(485).find(" sistema. \xBF" "DEsea utilizar "), std::string::npos);
}

TEST_F(Catalogue, BlanksAndLineFeedsSurvive)
{
    EXPECT_EQ(Load(342), "I/O &PORT ADDRESS [0X000 - 0X3FF]");
    EXPECT_EQ(Load(374), "&PORT ADDRESS I/O  [0X000 - 0X3FF]");
    const std::string french = "S\xE9lectionner et param\xE8trer le  Device driver.\n\nS\xE9lectionner SETUP";
    EXPECT_EQ(Load(365).substr(0, french.size()), french);
    EXPECT_EQ(Load(354), "Input value is out of range.\n\nRe-input a valid value");
    EXPECT_EQ(Load(352).find('\n'), std::string::npos);
    const std::string mixed = " Select and enter Device driver's parameters.\n\n  SETUP to";
    EXPECT_EQ(Load(429).substr(0, mixed.size()), mixed);
    EXPECT_EQ(Load(461).substr(0, mixed.size()), mixed);
    const char* copyPrefixes[] = {"Copying: ", "Copie en cours: ", "Kopiert: ", "Copiatura: ", "Copiar: "};
    const char* targetPrefixes[] = {"To: ", "vers: ", "Nach: ", "Verso: ", "A: "};
    for (int block = 0; block < 5; ++block) {
        EXPECT_EQ(Load(CATALOGUE_ORIGIN + blockBases[block] + TXT_COPY_PREFIX), copyPrefixes[block]);
        EXPECT_EQ(Load(CATALOGUE_ORIGIN + blockBases[block] + TXT_TARGET_PREFIX), targetPrefixes[block]);
    }
}

TEST_F(Catalogue, EveryTextFitsItsBuffer)
{
    for (int base : blockBases) {
        for (int offset = 0; offset < CATALOGUE_BLOCK_SIZE; ++offset) {
            const int id = CATALOGUE_ORIGIN + base + offset;
            EXPECT_LT(Load(id).size(), static_cast<size_t>(CapacityOf(offset))) << "id " << id;
        }
    }
    // The longest of each kind, loaded through a buffer of its own capacity.
    EXPECT_EQ(Load(365, 220).size(), 209u);
    EXPECT_EQ(Load(365, 220), Load(365));
    EXPECT_EQ(Load(448, 260).size(), 91u);
}

}  // namespace
