// The language of the program's texts follows the system locale that Wine
// takes from LC_ALL. Run by the e2e.language.* tests, which set LC_ALL and
// name the language block expected for it in SETUPB_EXPECT_LANGUAGE.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "harness.h"

namespace {

using namespace e2e;

// The install-failed message of each language block, in code page 1252.
struct FailedMessage {
    const char* language;
    const char* title;
    const char* text;
};

const FailedMessage kFailedMessages[] = {
    {"English", "VELNARI Device Driver Setup", "Failed to install the VELNARI adapter."},
    {"French", "Installation du Device Driver de VELNARI",
     "L\x92" "adaptateur VELNARI n\x92" "a pu \xEA" "tre install\xE9" "e."},
    {"German", "Auswahl und Eingabe der Treiber-Parameter", "Der VELNARI Adapter konnte nicht installiert werden."},
    {"Italian", "Velnari CD Device Driver Setup",
     "L\x92" "adattatore VELNARI non \xE8 stato installato nel modo giusto."},
    {"Spanish", "Velnari CD Device Driver Setup", "El adaptador VELNARI no se ha podido instalar."},
};

TEST(Language, InstallFailedMessageFollowsTheSystemLocale)
{
    const char* language = getenv("SETUPB_EXPECT_LANGUAGE");
    if (language == nullptr) {
        GTEST_SKIP() << "run by the e2e.language.* tests, which set the locale";
    }
    const FailedMessage* expected = nullptr;
    for (const FailedMessage& row : kFailedMessages) {
        if (strcmp(row.language, language) == 0) {
            expected = &row;
        }
    }
    ASSERT_NE(expected, nullptr) << "unknown language " << language;
    char locale[32];
    snprintf(locale, sizeof locale, "system locale 0x%04lX", static_cast<unsigned long>(GetSystemDefaultLCID()));
    SCOPED_TRACE(locale);

    ResetInstalledState();
    PrepareDiskette(nullptr);  // no driver file: the run fails at once
    SetupProcess setup;
    ASSERT_TRUE(setup.Start("A:\\setupb.exe", "", "A:\\"));
    HWND box = WaitForMessageBox(setup.Id());
    ASSERT_NE(box, nullptr);
    const MessageBoxContent content = ReadMessageBox(box);
    EXPECT_EQ(content.title, expected->title);
    EXPECT_EQ(content.text, expected->text);
    EXPECT_EQ(content.icon, IconKind::Exclamation);
    PressKey(box, VK_RETURN);
    DWORD exitCode = 0xDEADBEEF;
    ASSERT_TRUE(ExitsShowingNothing(setup, Shown::AnyWindow, &exitCode, box));
    EXPECT_EQ(exitCode, 1u);
}

}  // namespace
