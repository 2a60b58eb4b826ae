// The settings dialog of the real setupb.exe, driven as a person would: what its fields let in, what it warns
// about and refuses, what it shows and stores.
#include <gtest/gtest.h>

#include "harness.h"
#include "resource.h"

namespace {

using namespace harness;

const RunEnd kNoMessage;
const RunEnd kInputError = {"Input value error", "Input value is out of range.\n\nRe-input a valid value",
                            Icon::Exclamation, StillRunning};

TEST(SettingsDialog, FiltersKeysWarnsOncePerChangeRefusesBadTextsAndIgnoresEscape)
{
    ASSERT_TRUE(ResetMachine() && PrepareDiskette("driver"));
    Process setup;
    ASSERT_TRUE(setup.Start("A:\\setupb.exe"));
    HWND dialog = WaitDialog(setup.Id(), IDB_SET_SETUP);
    ASSERT_NE(dialog, nullptr);
    // cleared: the field emptied first. A warning comes once, at the key that leaves the range, and again at the next
    // change out of range.
    const struct { int field; bool cleared; const char* typed; const char* shown; RunEnd warned; } typing[] = {
        {IDE_SET_PORT, true, "gx- 1aC\bB", "1AB", kNoMessage},    // hexadecimal digits only, as capitals
        {IDE_SET_BUFFER, true, "a -xA.57\b3", "53", kNoMessage},  // decimal digits only
        {IDE_SET_PORT, true, "40", "40", kNoMessage},      {IDE_SET_PORT, false, "0", "400", kInputError},
        {IDE_SET_PORT, false, "\b", "40", kNoMessage},     {IDE_SET_PORT, false, "1", "401", kInputError},
        {IDE_SET_PORT, true, "3ff", "3FF", kNoMessage},    {IDE_SET_BUFFER, true, "6", "6", kNoMessage},
        {IDE_SET_BUFFER, false, "5", "65", kInputError},  {IDE_SET_BUFFER, false, "\b4", "64", kNoMessage},
    };
    for (const auto& step : typing) {
        SCOPED_TRACE(std::string("typed \"") + step.typed + "\"");
        ASSERT_TRUE(!step.cleared || Paste(dialog, step.field, ""));
        Type(dialog, step.field, step.typed);
        EXPECT_EQ(MessagesShown(setup, dialog), step.warned);
        EXPECT_EQ(TextOf(dialog, step.field), step.shown);
    }

    // Pasted texts pass no key filter; Setup refuses them with one message and the focus on the field to mend.
    // warnedOnEntry: by either paste; focus: after Setup's refusal
    const struct { const char* port; const char* buffer; RunEnd warnedOnEntry; int focus; } refused[] = {
        {"", "20", kNoMessage, IDE_SET_PORT},        {"3G", "20", kNoMessage, IDE_SET_PORT},
        {"400", "20", kInputError, IDE_SET_PORT},    {"", "99", kInputError, IDE_SET_PORT},
        {"300", "65", kInputError, IDE_SET_BUFFER},  {"300", "00", kNoMessage, IDE_SET_BUFFER},
        {"300", "0", kNoMessage, IDE_SET_BUFFER},    {"300", "1", kNoMessage, IDE_SET_BUFFER},
        {"300", " 5", kNoMessage, IDE_SET_BUFFER},   {"300", "+5", kNoMessage, IDE_SET_BUFFER},
        {"300", "5 ", kNoMessage, IDE_SET_BUFFER},
        {"300", "6x", kInputError, IDE_SET_BUFFER},  // a full-length text is compared digit by digit: x is above 4
    };
    for (const auto& texts : refused) {
        SCOPED_TRACE(std::string("port \"") + texts.port + "\", buffer \"" + texts.buffer + "\"");
        ASSERT_TRUE(Paste(dialog, IDE_SET_PORT, texts.port));
        RunEnd warned = MessagesShown(setup, dialog);  // a warning box keeps the clipboard of its paste open
        ASSERT_TRUE(Paste(dialog, IDE_SET_BUFFER, texts.buffer));
        if (warned == kNoMessage) warned = MessagesShown(setup, dialog);
        EXPECT_EQ(warned, texts.warnedOnEntry);
        Click(dialog, IDB_SET_SETUP);
        EXPECT_EQ(MessagesShown(setup, dialog), kInputError);
        EXPECT_EQ(Focus(dialog), GetDlgItem(dialog, texts.focus));
    }

    // Escape, from a field and from a list, leaves the dialog as it is.
    PressKey(dialog, VK_ESCAPE);
    PostMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDC_SET_DMA_LIST)), TRUE);
    ASSERT_TRUE(Barrier(dialog));
    PressKey(dialog, VK_ESCAPE);
    EXPECT_EQ(MessagesShown(setup, dialog), kNoMessage);
    ASSERT_TRUE(Barrier(dialog));  // a close request the keys posted is handled by now
    EXPECT_TRUE(setup.Running());
    EXPECT_TRUE(IsWindowVisible(dialog));
}

// From the system directory, for a calling installer: the dialog shows what is stored, and Setup stores what was
// chosen instead, the fields' texts at the ends of their ranges among them.
TEST(SettingsDialog, ShowsTheStoredValuesAndSetupStoresWhatWasChosen)
{
    const struct { const char* port; const char* buffer; DWORD storedPort; DWORD storedBuffer; } typed[] = {
        {"3ff", "02", 0x3FF, 2}, {"0", "64", 0, 64}, {"a", "2", 0xA, 2}, {"FF", "9", 0xFF, 9}};
    for (const auto& row : typed) {
        SCOPED_TRACE(std::string("port \"") + row.port + "\", buffer \"" + row.buffer + "\"");
        ASSERT_TRUE(ResetMachine() && CopyFileA(kBuiltSetup.c_str(), kInstalledSetup.c_str(), FALSE));
        ASSERT_TRUE(WriteBytes(kInstalledDriver, "driver"));
        ASSERT_TRUE(StoreValues(kParametersKey, ParameterValues(7, 11, 0x2A0, 33, 1, 1)));
        Process setup;
        ASSERT_TRUE(setup.Start(kInstalledSetup, "2"));
        HWND dialog = WaitDialog(setup.Id(), IDB_SET_SETUP);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(TextOf(dialog, IDC_SET_DMA_LIST), "7");
        EXPECT_EQ(TextOf(dialog, IDC_SET_IRQ_LIST), "11");
        EXPECT_EQ(TextOf(dialog, IDE_SET_PORT), "2A0");
        EXPECT_EQ(TextOf(dialog, IDE_SET_BUFFER), "33");
        EXPECT_TRUE(Checked(dialog, IDB_SET_MONO)) << "mono";
        EXPECT_TRUE(Checked(dialog, IDB_SET_LOCK)) << "locked";
        SendDlgItemMessageA(dialog, IDC_SET_DMA_LIST, CB_SETCURSEL, 3, 0);  // Non DMA
        SendDlgItemMessageA(dialog, IDC_SET_IRQ_LIST, CB_SETCURSEL, 0, 0);  // 3
        Click(dialog, IDB_SET_STEREO);
        Click(dialog, IDB_SET_UNLOCK);
        ASSERT_TRUE(Paste(dialog, IDE_SET_PORT, ""));
        ASSERT_TRUE(Paste(dialog, IDE_SET_BUFFER, ""));
        Type(dialog, IDE_SET_PORT, row.port);
        Type(dialog, IDE_SET_BUFFER, row.buffer);
        PressKey(dialog, VK_RETURN);
        EXPECT_EQ(FollowToEnd(setup), Silent(0));
        EXPECT_EQ(ReadKey(kParametersKey), ParameterValues(0, 3, row.storedPort, row.storedBuffer, 0, 0));
    }
}

}  // namespace
