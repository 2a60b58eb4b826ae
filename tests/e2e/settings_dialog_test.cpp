// The settings dialog of the real setupb.exe, driven as a person would: what it
// shows, what it lets into its fields, what it warns about and refuses, what
// Setup stores, and how each way of leaving it ends the run.
#include <gtest/gtest.h>

#include "harness.h"
#include "registry_support.h"
#include "resource.h"

namespace {

using namespace e2e;
using namespace registry;

const char* const kParameterNames[6] = {"DMAChannel", "IRQChannel", "IOPortAddress",
                                        "BufferSize", "AudioMode",  "DoorLock"};
const char kInputErrorText[] = "Input value is out of range.\n\nRe-input a valid value";
const char kRestartText[] = "The changes you have made will not take effedt until the computer is restarted.";

void WriteParameters(const DWORD (&values)[6])
{
    ValueMap parameters;
    for (int row = 0; row < 6; ++row) {
        parameters[kParameterNames[row]] = Dword(values[row]);
    }
    StoreValues(kParametersKey, parameters);
}

void ExpectParameters(const DWORD (&expected)[6])
{
    for (int row = 0; row < 6; ++row) {
        DWORD value = 0xDEADBEEF;
        DWORD type = 0;
        EXPECT_TRUE(ReadDword(kParametersKey, kParameterNames[row], &value, &type)) << kParameterNames[row];
        EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD)) << kParameterNames[row];
        EXPECT_EQ(value, expected[row]) << kParameterNames[row];
    }
}

bool Checked(HWND dialog, int buttonId)
{
    return SendMessageA(GetDlgItem(dialog, buttonId), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool HasFocus(HWND dialog, int controlId)
{
    return WaitUntil([&] { return FocusedControl(dialog) == GetDlgItem(dialog, controlId); }, 2000);
}

bool MessageBoxOpen(DWORD processId)
{
    return WaitForMessageBox(processId, 0) != nullptr;
}

// Waits for the input-error message box, checks it and closes it with Enter.
void DismissInputError(DWORD processId)
{
    ASSERT_NO_FATAL_FAILURE(
        ExpectMessageAndDismiss(WaitForMessageBox(processId), "Input value error", kInputErrorText));
}

// Clears a field and pastes text into it (no key filter sees it); closes the
// warnings the paste raises and adds their number to *warnings.
void PasteField(HWND dialog, DWORD processId, int controlId, const char* text, int* warnings)
{
    ASSERT_NO_FATAL_FAILURE(ClearField(dialog, controlId));
    if (*text != '\0') {
        PasteText(dialog, controlId, text);
    }
    ASSERT_TRUE(FieldShows(dialog, controlId, text));
    ASSERT_TRUE(Barrier(dialog));
    while (MessageBoxOpen(processId)) {
        ASSERT_NO_FATAL_FAILURE(DismissInputError(processId));
        ++*warnings;
        ASSERT_TRUE(Barrier(dialog));
    }
}

// Interactive end after a successful Setup: the restart notice, exit code 0.
void ExpectRestartNoticeAndDone(SetupProcess& setup, bool* sawCopyDialog)
{
    HWND box = WaitForEndOrMessage(setup, sawCopyDialog);
    ASSERT_NE(box, nullptr) << "no restart notice";
    EXPECT_EQ(ReadMessageBox(box).text, kRestartText);
    PressKey(box, VK_RETURN);
    DWORD exitCode = 0xFFFF;
    ASSERT_TRUE(setup.WaitForExit(&exitCode));
    EXPECT_EQ(exitCode, 0u);
}

HWND StartFromDiskette(SetupProcess& setup)
{
    PrepareDiskette("driver image");
    EXPECT_TRUE(setup.Start("A:\\setupb.exe", "", "A:\\"));
    return WaitForDialogWithControl(setup.Id(), IDB_SET_SETUP);
}

HWND StartFromSystemDir(SetupProcess& setup)
{
    EXPECT_TRUE(setup.Start(SystemDir() + "\\setupb.exe", "", SystemDir()));
    return WaitForDialogWithControl(setup.Id(), IDB_SET_SETUP);
}

// Nothing of the installation is on the machine after a cancelled run.
void ExpectNothingWritten()
{
    EXPECT_FALSE(KeyExists(kServiceKey));
    EXPECT_FALSE(FileExists(DriversDir() + "\\vlncdrvr.sys"));
}

TEST(SettingsDialog, ShowsDefaultsFiltersKeysIgnoresEscapeAndCancels)
{
    ResetInstalledState();
    SetupProcess setup;
    HWND dialog = StartFromDiskette(setup);
    ASSERT_NE(dialog, nullptr);

    EXPECT_EQ(SelectedEntry(dialog, IDX_SET_DMA_LIST), "5");
    EXPECT_EQ(SelectedEntry(dialog, IDX_SET_IRQ_LIST), "10");
    EXPECT_EQ(ControlText(dialog, IDE_SET_PORT), "300");
    EXPECT_EQ(ControlText(dialog, IDE_SET_BUFFER), "20");
    EXPECT_TRUE(Checked(dialog, IDB_SET_STEREO));
    EXPECT_FALSE(Checked(dialog, IDB_SET_MONO));
    EXPECT_TRUE(Checked(dialog, IDB_SET_UNLOCK));
    EXPECT_FALSE(Checked(dialog, IDB_SET_LOCK));
    EXPECT_TRUE(HasFocus(dialog, IDX_SET_DMA_LIST));
    ASSERT_TRUE(Barrier(dialog));
    EXPECT_FALSE(MessageBoxOpen(setup.Id())) << "warning while the fields were filled";

    // The refused keys come first, into the empty field, where the length
    // limit cannot hide one that got through.
    // Port: g, x, minus and space are swallowed; a is held as A.
    ASSERT_NO_FATAL_FAILURE(ClearField(dialog, IDE_SET_PORT));
    TypeChars(dialog, IDE_SET_PORT, "gx- 1aC\bB");
    EXPECT_TRUE(FieldShows(dialog, IDE_SET_PORT, "1AB")) << ControlText(dialog, IDE_SET_PORT);
    // Buffer: only digits and backspace get through.
    ASSERT_NO_FATAL_FAILURE(ClearField(dialog, IDE_SET_BUFFER));
    TypeChars(dialog, IDE_SET_BUFFER, "a -xA.57\b3");
    EXPECT_TRUE(FieldShows(dialog, IDE_SET_BUFFER, "53")) << ControlText(dialog, IDE_SET_BUFFER);

    // Escape, from the field and from the list: the dialog stays. Two barriers
    // also let through a close request that the Escape might have posted.
    PressKey(dialog, VK_ESCAPE);
    ASSERT_TRUE(Barrier(dialog));
    PostMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDX_SET_DMA_LIST)), TRUE);
    ASSERT_TRUE(HasFocus(dialog, IDX_SET_DMA_LIST));
    PressKey(dialog, VK_ESCAPE);
    ASSERT_TRUE(Barrier(dialog));
    ASSERT_TRUE(Barrier(dialog));
    EXPECT_TRUE(setup.Running());
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_FALSE(MessageBoxOpen(setup.Id()));

    ClickButton(dialog, IDB_CANCEL);
    ASSERT_NO_FATAL_FAILURE(ExpectSilentEnd(setup, 2));
    ExpectNothingWritten();
}

TEST(SettingsDialog, WarnsOnceForEachTypedChangeOutOfRange)
{
    ResetInstalledState();
    SetupProcess setup;
    HWND dialog = StartFromDiskette(setup);
    ASSERT_NE(dialog, nullptr);
    const DWORD id = setup.Id();

    // Port "400": silent after two digits, one warning at the third.
    ASSERT_NO_FATAL_FAILURE(ClearField(dialog, IDE_SET_PORT));
    TypeChars(dialog, IDE_SET_PORT, "40");
    ASSERT_TRUE(FieldShows(dialog, IDE_SET_PORT, "40"));
    ASSERT_TRUE(Barrier(dialog));
    EXPECT_FALSE(MessageBoxOpen(id));
    TypeMore(dialog, IDE_SET_PORT, "0");
    ASSERT_NO_FATAL_FAILURE(DismissInputError(id));
    ASSERT_TRUE(Barrier(dialog));
    EXPECT_FALSE(MessageBoxOpen(id)) << "second warning for one change";
    EXPECT_EQ(ControlText(dialog, IDE_SET_PORT), "400");
    EXPECT_TRUE(HasFocus(dialog, IDE_SET_PORT));
    // Each further change that stays out of range warns again.
    TypeMore(dialog, IDE_SET_PORT, "\b");
    ASSERT_TRUE(FieldShows(dialog, IDE_SET_PORT, "40"));
    ASSERT_TRUE(Barrier(dialog));
    EXPECT_FALSE(MessageBoxOpen(id));
    TypeMore(dialog, IDE_SET_PORT, "1");
    ASSERT_NO_FATAL_FAILURE(DismissInputError(id));
    EXPECT_TRUE(FieldShows(dialog, IDE_SET_PORT, "401"));
    // The largest port is no warning.
    ASSERT_NO_FATAL_FAILURE(ClearField(dialog, IDE_SET_PORT));
    TypeChars(dialog, IDE_SET_PORT, "3ff");
    ASSERT_TRUE(FieldShows(dialog, IDE_SET_PORT, "3FF"));
    ASSERT_TRUE(Barrier(dialog));
    EXPECT_FALSE(MessageBoxOpen(id));

    // Buffer "65": one warning at the second digit; "64" none.
    ASSERT_NO_FATAL_FAILURE(ClearField(dialog, IDE_SET_BUFFER));
    TypeChars(dialog, IDE_SET_BUFFER, "6");
    ASSERT_TRUE(FieldShows(dialog, IDE_SET_BUFFER, "6"));
    ASSERT_TRUE(Barrier(dialog));
    EXPECT_FALSE(MessageBoxOpen(id));
    TypeMore(dialog, IDE_SET_BUFFER, "5");
    ASSERT_NO_FATAL_FAILURE(DismissInputError(id));
    ASSERT_TRUE(Barrier(dialog));
    EXPECT_FALSE(MessageBoxOpen(id)) << "second warning for one change";
    EXPECT_EQ(ControlText(dialog, IDE_SET_BUFFER), "65");
    TypeMore(dialog, IDE_SET_BUFFER, "\b4");
    ASSERT_TRUE(FieldShows(dialog, IDE_SET_BUFFER, "64"));
    ASSERT_TRUE(Barrier(dialog));
    EXPECT_FALSE(MessageBoxOpen(id));

    ClickButton(dialog, IDB_CANCEL);
    ASSERT_NO_FATAL_FAILURE(ExpectSilentEnd(setup, 2));
    ExpectNothingWritten();
}

TEST(SettingsDialog, SetupRefusesBadTextsWithOneMessageAndFocusOnTheField)
{
    struct Case {
        const char* port;
        const char* buffer;
        int warningsOnEntry;  // while the texts go in; "6x" too: x sorts above 4
        int focus;
    };
    const Case cases[] = {
        {"", "20", 0, IDE_SET_PORT},      {"400", "20", 1, IDE_SET_PORT},   {"GG", "20", 0, IDE_SET_PORT},
        {"3G", "20", 0, IDE_SET_PORT},    {"300", "1", 0, IDE_SET_BUFFER},  {"300", "0", 0, IDE_SET_BUFFER},
        {"300", "00", 0, IDE_SET_BUFFER}, {"300", "99", 1, IDE_SET_BUFFER}, {"300", "6x", 1, IDE_SET_BUFFER},
        {"300", "", 0, IDE_SET_BUFFER},   {"", "99", 1, IDE_SET_PORT},
    };
    ResetInstalledState();
    SetupProcess setup;
    HWND dialog = StartFromDiskette(setup);
    ASSERT_NE(dialog, nullptr);

    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("port \"") + c.port + "\", buffer \"" + c.buffer + "\"");
        int warnings = 0;
        ASSERT_NO_FATAL_FAILURE(PasteField(dialog, setup.Id(), IDE_SET_PORT, c.port, &warnings));
        ASSERT_NO_FATAL_FAILURE(PasteField(dialog, setup.Id(), IDE_SET_BUFFER, c.buffer, &warnings));
        EXPECT_EQ(warnings, c.warningsOnEntry);
        ClickButton(dialog, IDB_SET_SETUP);
        ASSERT_NO_FATAL_FAILURE(DismissInputError(setup.Id()));
        ASSERT_TRUE(Barrier(dialog));
        EXPECT_FALSE(MessageBoxOpen(setup.Id())) << "more than one message for one press";
        EXPECT_TRUE(HasFocus(dialog, c.focus));
        EXPECT_EQ(ControlText(dialog, IDE_SET_PORT), c.port);
        EXPECT_EQ(ControlText(dialog, IDE_SET_BUFFER), c.buffer);
        EXPECT_TRUE(setup.Running());
    }

    ClickButton(dialog, IDB_CANCEL);
    ASSERT_NO_FATAL_FAILURE(ExpectSilentEnd(setup, 2));
    ExpectNothingWritten();
}

TEST(SettingsDialog, SetupStoresTheChosenValues)
{
    struct Case {
        const char* port;  // as typed
        const char* buffer;
        int dmaIndex;
        int irqIndex;
        int audioButton;
        int lockButton;
        DWORD stored[6];
    };
    const Case cases[] = {
        {"3ff", "64", 3, 0, IDB_SET_MONO, IDB_SET_LOCK, {0, 3, 0x3FF, 64, 1, 1}},
        {"ff", "02", 1, 2, IDB_SET_STEREO, IDB_SET_UNLOCK, {6, 9, 0xFF, 2, 0, 0}},
        {"0", "2", 2, 1, IDB_SET_MONO, IDB_SET_UNLOCK, {7, 5, 0, 2, 1, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("port \"") + c.port + "\", buffer \"" + c.buffer + "\"");
        ResetInstalledState();
        ASSERT_NO_FATAL_FAILURE(InstallIntoSystemDir());
        SetupProcess setup;
        HWND dialog = StartFromSystemDir(setup);
        ASSERT_NE(dialog, nullptr);
        SendMessageA(GetDlgItem(dialog, IDX_SET_DMA_LIST), CB_SETCURSEL, c.dmaIndex, 0);
        SendMessageA(GetDlgItem(dialog, IDX_SET_IRQ_LIST), CB_SETCURSEL, c.irqIndex, 0);
        ClickButton(dialog, c.audioButton);
        ClickButton(dialog, c.lockButton);
        ASSERT_NO_FATAL_FAILURE(ClearField(dialog, IDE_SET_PORT));
        TypeChars(dialog, IDE_SET_PORT, c.port);
        ASSERT_NO_FATAL_FAILURE(ClearField(dialog, IDE_SET_BUFFER));
        TypeChars(dialog, IDE_SET_BUFFER, c.buffer);
        ASSERT_TRUE(FieldShows(dialog, IDE_SET_BUFFER, c.buffer));
        ASSERT_TRUE(Checked(dialog, c.audioButton) && Checked(dialog, c.lockButton));

        ClickButton(dialog, IDB_SET_SETUP);
        bool sawCopyDialog = false;
        ASSERT_NO_FATAL_FAILURE(ExpectRestartNoticeAndDone(setup, &sawCopyDialog));
        EXPECT_FALSE(sawCopyDialog);
        ExpectParameters(c.stored);
    }
}

// Run from the system directory, the program copies nothing: Setup writes the
// registry at once and the run ends with the registration's status.
TEST(SettingsDialog, ShowsStoredValuesAndEnterStoresThemWithoutCopying)
{
    ResetInstalledState();
    ASSERT_NO_FATAL_FAILURE(InstallIntoSystemDir());
    const DWORD stored[6] = {0, 11, 0x2A0, 33, 1, 1};
    ASSERT_NO_FATAL_FAILURE(WriteParameters(stored));
    SetupProcess setup;
    HWND dialog = StartFromSystemDir(setup);
    ASSERT_NE(dialog, nullptr);

    EXPECT_EQ(SelectedEntry(dialog, IDX_SET_DMA_LIST), "Non DMA");
    EXPECT_EQ(SelectedEntry(dialog, IDX_SET_IRQ_LIST), "11");
    EXPECT_EQ(ControlText(dialog, IDE_SET_PORT), "2A0");
    EXPECT_EQ(ControlText(dialog, IDE_SET_BUFFER), "33");
    EXPECT_TRUE(Checked(dialog, IDB_SET_MONO) && !Checked(dialog, IDB_SET_STEREO));
    EXPECT_TRUE(Checked(dialog, IDB_SET_LOCK) && !Checked(dialog, IDB_SET_UNLOCK));

    // A changed buffer shows that the stored values were written again.
    ASSERT_NO_FATAL_FAILURE(ClearField(dialog, IDE_SET_BUFFER));
    TypeChars(dialog, IDE_SET_BUFFER, "40");
    ASSERT_TRUE(FieldShows(dialog, IDE_SET_BUFFER, "40"));
    PressKey(dialog, VK_RETURN);  // the default button, Setup

    bool sawCopyDialog = false;
    ASSERT_NO_FATAL_FAILURE(ExpectRestartNoticeAndDone(setup, &sawCopyDialog));
    EXPECT_FALSE(sawCopyDialog);
    ExpectParameters({0, 11, 0x2A0, 40, 1, 1});
    DWORD type = 0;
    EXPECT_TRUE(ReadDword(kServiceKey, "Type", &type) && type == 1) << "service key not written";
}

TEST(SettingsDialog, CancelInTheCopyDialogEndsTheRunWithoutWritingTheRegistry)
{
    ResetInstalledState();
    SetupProcess setup;
    HWND dialog = StartFromDiskette(setup);
    ASSERT_NE(dialog, nullptr);
    ClickButton(dialog, IDB_SET_SETUP);
    // The first copy waits for a 100 ms tick: click Cancel the moment the
    // dialog shows.
    HWND copy = nullptr;
    const ULONGLONG end = GetTickCount64() + DefaultWaitMs;
    while ((copy = CopyDialog(setup.Id())) == nullptr && setup.Running() && GetTickCount64() < end) {
        Sleep(1);
    }
    ASSERT_NE(copy, nullptr) << "no copy dialog";
    PostMessageA(GetDlgItem(copy, IDB_CANCEL), BM_CLICK, 0, 0);

    ASSERT_NO_FATAL_FAILURE(ExpectSilentEnd(setup, 2));
    EXPECT_FALSE(KeyExists(kServiceKey));
}

// Gives the service key a DACL and puts back full access when the test ends,
// so that the key can be deleted.
class ServiceKeyDacl {
public:
    explicit ServiceKeyDacl(const char* sddl) { SetKeyDacl(kServiceKey, sddl); }
    ~ServiceKeyDacl() { SetKeyDacl(kServiceKey, "D:(A;;KA;;;WD)(A;;KA;;;BA)(A;;KA;;;SY)"); }
};

TEST(SettingsDialog, FailedRegistrationEndsWithItsStatusAndNoMessage)
{
    ResetInstalledState();
    ASSERT_NO_FATAL_FAILURE(InstallIntoSystemDir());
    const DWORD stored[6] = {6, 5, 0x2A0, 33, 1, 1};
    ASSERT_NO_FATAL_FAILURE(WriteParameters(stored));
    {
        ServiceKeyDacl readOnly(kReadOnlyDacl);
        ASSERT_FALSE(HasFatalFailure()) << "the service key's DACL was not set";
        SetupProcess setup;
        HWND dialog = StartFromSystemDir(setup);
        ASSERT_NE(dialog, nullptr);
        // Opened for full access the key gives nothing: the defaults show.
        EXPECT_EQ(ControlText(dialog, IDE_SET_PORT), "300");
        PressKey(dialog, VK_RETURN);
        ASSERT_NO_FATAL_FAILURE(ExpectSilentEnd(setup, ERROR_ACCESS_DENIED));
    }
    ExpectParameters(stored);
    ResetInstalledState();
}

// A close asked for by the window system (Alt+F4, or Close from the window
// menu, whose lParam holds the mouse position) is a cancel.
TEST(SettingsDialog, AltF4AndWindowMenuCloseCancelSilently)
{
    for (const bool altF4 : {true, false}) {
        SCOPED_TRACE(altF4 ? "Alt+F4" : "window menu Close");
        ResetInstalledState();
        SetupProcess setup;
        HWND dialog = StartFromDiskette(setup);
        ASSERT_NE(dialog, nullptr);
        ASSERT_NO_FATAL_FAILURE(ClearField(dialog, IDE_SET_PORT));
        TypeChars(dialog, IDE_SET_PORT, "123");  // also takes the focus off the list
        ASSERT_TRUE(FieldShows(dialog, IDE_SET_PORT, "123"));
        ASSERT_TRUE(HasFocus(dialog, IDE_SET_PORT));
        if (altF4) {
            PressAltF4(dialog);
        } else {
            RECT rect;
            GetWindowRect(dialog, &rect);
            PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, MAKELPARAM(rect.left + 12, rect.top + 8));
        }
        ASSERT_NO_FATAL_FAILURE(ExpectSilentEnd(setup, 2));
        ExpectNothingWritten();
    }
}

}  // namespace
