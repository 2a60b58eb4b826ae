// Whole runs of the real setupb.exe: a first installation from the diskette, every way of starting it and of
// leaving its dialogs, registry steps over an earlier installation, what its dialogs show in each language.
#include <gtest/gtest.h>

#include "harness.h"
#include "resource.h"

namespace {

using namespace harness;

const char kTitle[] = "VELNARI Device Driver Setup";
const char kDriver[] = "driver on the diskette";
const RunEnd kRestart = {kTitle, "The changes you have made will not take effedt until the computer is restarted.",
                         Icon::Information, 0};
const RunEnd kFailed = {kTitle, "Failed to install the VELNARI adapter.", Icon::Exclamation, 1};
const char kI686Setup[] = SETUPB_I686_EXE;
const ServiceConfig kDriverService = {SERVICE_KERNEL_DRIVER, SERVICE_BOOT_START, SERVICE_ERROR_NORMAL,
                                      "System32\\Drivers\\VLNCDRVR.SYS", "SCSI CDROM Class"};

// Where the program starts from. SystemDir: the installed setupb.exe, its path in capitals, no driver file on the
// diskette; Renamed: A:\install.exe, no setupb.exe beside it; Glued: the tail right after the quoted name (the
// runtime's rule would lose it); Wow64: the i686 build on the diskette of a 64-bit Windows.
enum class From { Diskette, SystemDir, Renamed, Glued, Wow64 };

using Action = void (*)(Process& setup, HWND dialog);  // what a person or another program does in a dialog
void PressEnter(Process&, HWND dialog) { PressKey(dialog, VK_RETURN); }  // Current, or Setup
void PressAltF4(Process&, HWND dialog) { PressKey(dialog, VK_F4, true); }
void ClickNew(Process&, HWND dialog) { Click(dialog, IDB_INIT_NEW); }
void ClickSetup(Process&, HWND dialog) { Click(dialog, IDB_SET_SETUP); }
void ClickCancel(Process&, HWND dialog) { Click(dialog, IDB_CANCEL); }
void Close(Process&, HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }  // asked by another program
void MenuClose(Process&, HWND dialog)  // Close in the window menu: lParam holds the mouse's screen position
{
    RECT rect = {};
    GetWindowRect(dialog, &rect);
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, MAKELPARAM(rect.left + 12, rect.top + 8));
}
// The window system keeps the command's four low bits for itself: a double-click on the menu icon sends SC_CLOSE | 3.
void LowBitsClose(Process&, HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE | 3, 0); }
void RefusedThenClosed(Process& setup, HWND settings)  // Setup refused, then a close from another program
{
    ASSERT_TRUE(Paste(settings, IDE_SET_PORT, ""));
    Click(settings, IDB_SET_SETUP);
    ASSERT_EQ(MessagesShown(setup, settings).title, "Input value error");
    Close(setup, settings);
}
// Setup clicked while the program is held: what is posted or queued meanwhile is read as soon as the copy dialog is
// open, before its first timer tick, or, where nothing is copied, right after the registration. Space presses the
// copy dialog's focused Cancel.
void DuringSetup(Process& setup, HWND settings, Action then)
{
    ASSERT_TRUE(setup.Hold());
    Click(settings, IDB_SET_SETUP);
    then(setup, settings);
    setup.Release();
}
void QueueSpace(Process&, HWND) { QueueKey(VK_SPACE); }
void QueueAltF4(Process&, HWND) { QueueKey(VK_F4, true); }
void CopyCancel(Process& setup, HWND settings) { DuringSetup(setup, settings, QueueSpace); }
void CopyAltF4(Process& setup, HWND settings) { DuringSetup(setup, settings, QueueAltF4); }
// A close from another program posted to the settings dialog, with lParam 0, or as the taskbar's Close.
void ClosedDuringSetup(Process& setup, HWND settings) { DuringSetup(setup, settings, Close); }
void MenuClosedDuringSetup(Process& setup, HWND settings) { DuringSetup(setup, settings, MenuClose); }

enum class Obstacle { None, SetupTargetHeld, DriverFileGone };  // what another program does in the settings dialog
enum class Copied { Nothing, SetupOnly, Both };

// The driver-present question is asked, and the settings dialog shown, exactly when something is done in it; the
// settings are stored exactly when the exit code is 0.
struct RunRow {
    const char* name; From from = From::Diskette; const char* tail = ""; bool driverOnDiskette = true;
    bool installed = false; Action question = nullptr; Action settings = nullptr;
    Obstacle obstacle = Obstacle::None; RunEnd end; Copied copied = Copied::Nothing;
};
const RunRow kRuns[] = {
    {.name = "first installation, Enter is Setup", .settings = PressEnter, .end = kRestart, .copied = Copied::Both},
    {.name = "Enter answers Current: installed files stay", .installed = true, .question = PressEnter,
     .settings = ClickSetup, .end = kRestart},
    {.name = "New replaces the installed files", .installed = true, .question = ClickNew,
     .settings = ClickSetup, .end = kRestart, .copied = Copied::Both},
    {.name = "Cancel at the question", .installed = true, .question = ClickCancel, .end = Silent(2)},
    {.name = "Alt+F4 at the question", .installed = true, .question = PressAltF4, .end = Silent(2)},
    {.name = "system directory reconfigures", .from = From::SystemDir, .installed = true, .settings = ClickSetup,
     .end = kRestart},
    {.name = "system directory, no driver", .from = From::SystemDir, .end = kFailed},
    {.name = "diskette without the driver file", .driverOnDiskette = false, .end = kFailed},
    {.name = "renamed, no setupb.exe beside it", .from = From::Renamed, .end = kFailed},
    {.name = "renamed, \"1\"", .from = From::Renamed, .tail = "1", .end = Silent(1)},
    {.name = "\"1\" replaces installed files unasked", .tail = "1", .installed = true,
     .settings = ClickSetup, .end = Silent(0), .copied = Copied::Both},
    {.name = "\"2\" reconfigures", .from = From::SystemDir, .tail = "2", .installed = true,
     .settings = ClickSetup, .end = Silent(0)},
    {.name = "Cancel in the settings dialog", .settings = ClickCancel, .end = Silent(2)},
    {.name = "Alt+F4 in the settings dialog", .settings = PressAltF4, .end = Silent(2)},
    {.name = "Close in its window menu", .settings = MenuClose, .end = Silent(2)},
    {.name = "a close with the low bits set", .settings = LowBitsClose, .end = Silent(2)},
    {.name = "closed from outside after a refused Setup", .settings = RefusedThenClosed, .end = Silent(2)},
    {.name = "Cancel in the copy dialog", .settings = CopyCancel, .end = Silent(2)},
    {.name = "Alt+F4 in the copy dialog", .settings = CopyAltF4, .end = Silent(2)},
    {.name = "setup target held open", .settings = ClickSetup, .obstacle = Obstacle::SetupTargetHeld, .end = kFailed},
    {.name = "driver file gone during the run", .settings = ClickSetup, .obstacle = Obstacle::DriverFileGone,
     .end = kFailed, .copied = Copied::SetupOnly},
    {.name = "\"2\" glued to the quoted name", .from = From::Glued, .tail = "2", .installed = true, .end = Silent(2)},
    {.name = "closed from outside in the copy", .settings = ClosedDuringSetup, .end = kRestart, .copied = Copied::Both},
    {.name = "closed from outside while copying, the copy fails", .settings = ClosedDuringSetup,
     .obstacle = Obstacle::SetupTargetHeld, .end = kFailed},
    {.name = "closed from the taskbar while copying, \"1\"", .tail = "1", .settings = MenuClosedDuringSetup,
     .end = Silent(0), .copied = Copied::Both},
    {.name = "closed from the taskbar while registering, \"2\"", .from = From::SystemDir, .tail = "2",
     .installed = true, .settings = MenuClosedDuringSetup, .end = Silent(0)},
    {.name = "the i686 build on 64-bit Windows", .from = From::Wow64, .end = kFailed},
    {.name = "the i686 build on 64-bit Windows, \"1\"", .from = From::Wow64, .tail = "1", .end = Silent(2)},
};
void PrintTo(const RunRow& row, std::ostream* out) { *out << row.name; }

std::string PrepareStart(const RunRow& row)  // lays out the folder A: stands for; gives the program to start
{
    if (row.from == From::Renamed) {
        EXPECT_TRUE(MoveFileA("A:\\setupb.exe", "A:\\install.exe"));
        return "A:\\install.exe";
    }
    if (row.from == From::SystemDir) {  // a driver file beside the program: a copy that must not happen would show
        EXPECT_TRUE(CopyFileA(kBuiltSetup.c_str(), kInstalledSetup.c_str(), FALSE));
        EXPECT_TRUE(WriteBytes(kSystemDir + "\\vlncdrvr.sys", kDriver));
        std::string program = kInstalledSetup;
        CharUpperA(&program[0]);  // the system directory is recognised in any ASCII case
        return program;
    }
    return "A:\\setupb.exe";
}

class EachWayOfStartingAndLeaving : public testing::TestWithParam<RunRow> {};

TEST_P(EachWayOfStartingAndLeaving, EndsAsItShould)
{
    const RunRow& row = GetParam();  // from a machine with nothing installed but a sibling that would start
    ASSERT_TRUE(ResetMachine());
    ASSERT_TRUE(PrepareDiskette(row.driverOnDiskette && row.from != From::SystemDir ? kDriver : nullptr));
    ASSERT_TRUE(WriteBytes(kInstalledSetup, "setup before"));
    ASSERT_TRUE(StoreValues(SiblingKey(0), {{"Start", Dword(1)}}));
    const bool i686Built = *kI686Setup != '\0';
    if (row.from == From::Wow64 && (!i686Built || !CopyFileA(WindowsPath(kI686Setup).c_str(), "A:\\setupb.exe", 0))) {
        GTEST_SKIP() << "runs in the win64 build's tests, where 32-bit Wine runs and the win32 build is there";
    }
    const std::string program = PrepareStart(row);
    ASSERT_TRUE(!row.installed || WriteBytes(kInstalledDriver, "driver before"));
    const std::string setupBefore = ReadBytes(kInstalledSetup);
    const std::string driverBefore = ReadBytes(kInstalledDriver);

    Process setup;
    const char* afterName = row.from == From::Glued ? "\"" : "\" ";
    ASSERT_TRUE(setup.StartLine(program, '"' + program + afterName + row.tail));
    if (row.question) {
        HWND question = WaitDialog(setup.Id(), IDB_INIT_CURRENT);
        ASSERT_NE(question, nullptr) << "no driver-present question";
        EXPECT_EQ(ReadIcon(GetDlgItem(question, 0xFFFF)), Icon::Question);
        EXPECT_EQ(Focus(question), GetDlgItem(question, IDB_INIT_CURRENT));
        row.question(setup, question);
    }
    HANDLE held = INVALID_HANDLE_VALUE;  // by another program, without sharing
    if (row.settings) {
        HWND settings = WaitDialog(setup.Id(), IDB_SET_SETUP);
        ASSERT_NE(settings, nullptr) << "no settings dialog";
        EXPECT_EQ(Focus(settings), GetDlgItem(settings, IDC_SET_DMA_LIST));
        Type(settings, IDE_SET_PORT, "");  // the focus on a field: a focused list would swallow Alt+F4
        if (row.obstacle == Obstacle::SetupTargetHeld) {
            held = CreateFileA(kInstalledSetup.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
        }
        ASSERT_TRUE(row.obstacle != Obstacle::DriverFileGone || DeleteFileA("A:\\vlncdrvr.sys"));
        ASSERT_TRUE(Barrier(settings));
        ASSERT_NO_FATAL_FAILURE(row.settings(setup, settings));
    }
    const RunEnd end = FollowToEnd(setup);
    CloseHandle(held);
    EXPECT_EQ(end, row.end);

    const bool done = row.end.exitCode == 0;  // then the defaults shown are stored, a boot-start kernel driver created
    EXPECT_EQ(ReadKey(kServiceKey).has_value(), done);
    EXPECT_EQ(ReadKey(kParametersKey), done ? Key(ParameterValues(5, 10, 0x300, 20, 0, 0)) : std::nullopt);
    EXPECT_EQ(QueryService(), done ? std::optional(kDriverService) : std::nullopt) << "the VlnCD service";
    EXPECT_EQ(ReadKey(SiblingKey(0)), Key(Values{{"Start", Dword(done ? 4 : 1)}}));
    EXPECT_EQ(ReadBytes("C:\\windows\\syswow64\\setupb.exe"), "<missing>");
    const bool setupCopied = row.copied != Copied::Nothing;
    EXPECT_TRUE(ReadBytes(kInstalledSetup) == (setupCopied ? ReadBytes(kBuiltSetup) : setupBefore))
        << "the installed setupb.exe, copied: " << setupCopied;
    EXPECT_EQ(ReadBytes(kInstalledDriver), row.copied == Copied::Both ? kDriver : driverBefore);
}

INSTANTIATE_TEST_SUITE_P(Runs, EachWayOfStartingAndLeaving, testing::ValuesIn(kRuns));  // named by PrintTo

// An earlier installation as the program leaves one (files, keys, the service), with values no run writes: a
// service type of 7, a 1-byte buffer size, siblings that would start.
bool LayOutEarlierInstallation(const std::string (&siblings)[3])
{
    Values service = ServiceValues();
    service["Type"] = Dword(7);
    Values parameters = ParameterValues(6, 9, 0x2A0, 33, 1, 1);
    parameters["BufferSize"] = {REG_BINARY, "\x21"};
    bool laidOut = ResetMachine() && PrepareDiskette(kDriver) && WriteBytes(kInstalledDriver, kDriver);
    laidOut = laidOut && CopyFileA(kBuiltSetup.c_str(), kInstalledSetup.c_str(), FALSE);
    laidOut = laidOut && StoreValues(kServiceKey, service) && StoreValues(kParametersKey, parameters);
    for (const std::string& sibling : siblings) laidOut = laidOut && StoreValues(sibling, {{"Start", Dword(1)}});
    return CreateDriverService() && laidOut;
}

// Setup over an earlier installation writes the service key, Parameters and each sibling in turn, in every
// run mode; a step that fails ends the run with its status after the steps before it, told by hand only.
TEST(Runs, RegistryStepsOverAnInstallationEndAtTheFirstThatFailsWithItsStatus)
{
    const std::string siblings[3] = {SiblingKey(0), SiblingKey(1), SiblingKey(2)};
    const std::string keys[5] = {kServiceKey, kParametersKey, siblings[0], siblings[1], siblings[2]};
    // writes: how many of keys[], in order, the run writes (the others stay), by hand or for an installer alike;
    // denied: nobody may change that key; longStart: a sibling's Start of 8 bytes; pending: marked for deletion.
    const struct {
        const char* what; const char* tail = ""; int writes;
        std::string denied = ""; std::string longStart = ""; bool pending = false;
        Action setUp = PressEnter; DWORD status;
    } rows[] = {
        {.what = "nothing in the way, installed again", .tail = "1", .writes = 5, .status = ERROR_SUCCESS},
        {.what = "service key denied", .writes = 0, .denied = kServiceKey, .status = ERROR_ACCESS_DENIED},
        {.what = "Parameters denied", .tail = "1", .writes = 1, .denied = kParametersKey,
         .status = ERROR_ACCESS_DENIED},
        {.what = "second sibling denied", .tail = "2", .writes = 3, .denied = siblings[1],
         .status = ERROR_ACCESS_DENIED},
        {.what = "second sibling's Start of 8 bytes", .writes = 3, .longStart = siblings[1], .status = ERROR_MORE_DATA},
        {.what = "service pending deletion", .tail = "1", .writes = 2, .pending = true,
         .status = ERROR_SERVICE_MARKED_FOR_DELETE},
        {.what = "service pending deletion", .writes = 2, .pending = true, .status = ERROR_SERVICE_MARKED_FOR_DELETE},
        {.what = "Parameters denied, service pending deletion", .writes = 1, .denied = kParametersKey,
         .pending = true, .status = ERROR_ACCESS_DENIED},
        {.what = "service key denied, closed from outside while copying", .tail = "1", .writes = 0,
         .denied = kServiceKey, .setUp = ClosedDuringSetup, .status = ERROR_ACCESS_DENIED},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.what) + ", tail \"" + row.tail + "\"");
        ASSERT_TRUE(LayOutEarlierInstallation(siblings));
        ASSERT_TRUE(row.denied.empty() || DenyChanges(row.denied));
        if (!row.longStart.empty()) {
            ASSERT_TRUE(StoreValues(row.longStart, {{"Start", {REG_BINARY, "12345678"}}}));
        }
        std::optional<Service> marked;  // its handle open across the run: the service, key and all, goes with it
        ASSERT_TRUE(!row.pending || DeleteService(marked.emplace().service));
        Key before[5];
        for (int key = 0; key < 5; ++key) before[key] = ReadKey(keys[key]);
        Values serviceWritten = *before[0];  // what the program does not write stays
        for (const auto& [name, value] : ServiceValues()) serviceWritten[name] = value;
        const Values off = {{"Start", Dword(4)}};
        const Key written[5] = {serviceWritten, ParameterValues(6, 9, 0x2A0, 33, 1, 1), off, off, off};

        const bool byHand = row.tail[0] == '\0';
        const RunEnd failedByHand = {kTitle, kFailed.text, Icon::Exclamation, row.status};
        Process setup;  // "1" from the diskette, "" or "2" from the system directory
        ASSERT_TRUE(setup.Start(row.tail[0] == '1' ? "A:\\setupb.exe" : kInstalledSetup, row.tail));
        row.setUp(setup, WaitDialog(setup.Id(), IDB_SET_SETUP));
        EXPECT_EQ(FollowToEnd(setup), byHand ? failedByHand : Silent(row.status));
        for (int key = 0; key < 5; ++key) {
            EXPECT_EQ(ReadKey(keys[key]), key < row.writes ? written[key] : before[key]) << keys[key];
        }
    }
}

using Shown = std::vector<std::pair<int, int>>;  // which control shows which text of the block (0: the caption)
const Shown kQuestionShows = {{0, TXT_PRODUCT_TITLE}, {IDT_INIT_QUESTION, TXT_DRIVER_QUESTION},
    {IDB_INIT_CURRENT, TXT_CURRENT_BUTTON}, {IDB_INIT_NEW, TXT_NEW_BUTTON}, {IDB_CANCEL, TXT_CANCEL_BUTTON}};
const Shown kSettingsShows = {{0, TXT_PRODUCT_TITLE}, {IDT_SET_DESCRIPTION, TXT_INSTRUCTIONS},
    {IDT_SET_DMA_LABEL, TXT_DMA_LABEL}, {IDT_SET_IRQ_LABEL, TXT_IRQ_LABEL}, {IDT_SET_AUDIO_LABEL, TXT_AUDIO_LABEL},
    {IDB_SET_STEREO, TXT_STEREO}, {IDB_SET_MONO, TXT_MONO}, {IDT_SET_LOCK_LABEL, TXT_LOCK_LABEL},
    {IDB_SET_UNLOCK, TXT_UNLOCKED}, {IDB_SET_LOCK, TXT_LOCKED}, {IDT_SET_PORT_LABEL, TXT_PORT_LABEL},
    {IDT_SET_BUFFER_LABEL, TXT_BUFFER_LABEL}, {IDB_SET_SETUP, TXT_SETUP_BUTTON}, {IDB_CANCEL, TXT_CANCEL_BUTTON}};
const Shown kCopyShows = {{0, TXT_PRODUCT_TITLE}, {IDB_CANCEL, TXT_CANCEL_BUTTON}};
// The English texts of a kind that could change places with each other, as the product has them.
using Texts = std::map<int, std::string>;  // by offset
const Texts kEnglish = {{TXT_DMA_LABEL, "&DMA CHANNEL"}, {TXT_IRQ_LABEL, "&IRQ CHANNEL"},
    {TXT_STEREO, "STEREO"}, {TXT_MONO, "MONORAL"}, {TXT_UNLOCKED, "UNLOCK"}, {TXT_LOCKED, "LOCK"},
    {TXT_CURRENT_BUTTON, "Current"}, {TXT_NEW_BUTTON, "New"}};

// Run by e2e.language.*, each under its locale, naming the language due and the locale ids Wine must report (hex).
// Every text of the dialogs and the restart notice comes from the system locale's block; the question and the settings
// dialog appear centred on the screen, the copy dialog (wider, lower) across it, down over the moved settings dialog.
TEST(Language, EveryDialogAndMessageShowsItsTextsInTheSystemLocalesLanguageWhereItBelongs)
{
    const std::map<std::string, int> bases = {{"English", BASE_ENGLISH}, {"French", BASE_FRENCH},
        {"German", BASE_GERMAN}, {"Italian", BASE_ITALIAN}, {"Spanish", BASE_SPANISH}};
    const char* language = getenv("SETUPB_LANGUAGE");
    const char* system = getenv("SETUPB_SYSTEM_LOCALE");
    const char* user = getenv("SETUPB_USER_LOCALE");
    ASSERT_TRUE(language && system && user) << "SETUPB_LANGUAGE, SETUPB_SYSTEM_LOCALE and SETUPB_USER_LOCALE";
    ASSERT_EQ(bases.count(language), 1u) << "no block for the language " << language;
    EXPECT_EQ(GetSystemDefaultLCID(), strtoul(system, nullptr, 16)) << "system locale";
    EXPECT_EQ(GetUserDefaultLCID(), strtoul(user, nullptr, 16)) << "user locale";
    const HMODULE program = LoadLibraryExA(kBuiltSetup.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    const auto text = [&, base = CATALOGUE_ORIGIN + bases.at(language)](int offset) {  // the built program's catalogue
        char loaded[1024] = "";
        EXPECT_GT(LoadStringA(program, base + offset, loaded, sizeof loaded), 0) << "no text at offset " << offset;
        return std::string(loaded);
    };
    const Texts englishDue = std::string(language) == "English" ? kEnglish : Texts{};
    for (const auto& [offset, english] : englishDue) EXPECT_EQ(text(offset), english) << "English text " << offset;
    const auto centre = [](LONG from, LONG to, LONG size) { return from + (to - from - size) / 2; };
    const LONG width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    // The dialog shows its texts, centred across the screen and down between top and bottom.
    const auto expectShown = [&](HWND dialog, const char* name, const Shown& shown, LONG top, LONG bottom) {
        for (const auto& [control, offset] : shown) {
            HWND showing = control == 0 ? dialog : GetDlgItem(dialog, control);
            EXPECT_EQ(TextOf(showing), text(offset)) << name << ", control " << control;
        }
        RECT at = {};
        GetWindowRect(dialog, &at);
        EXPECT_EQ(at.left, centre(0, width, at.right - at.left)) << name;
        EXPECT_EQ(at.top, centre(top, bottom, at.bottom - at.top)) << name;
    };
    ASSERT_TRUE(ResetMachine() && PrepareDiskette(kDriver) && WriteBytes(kInstalledDriver, "driver before"));
    Process setup;
    ASSERT_TRUE(setup.Start("A:\\setupb.exe"));
    HWND question = WaitDialog(setup.Id(), IDB_INIT_CURRENT);
    ASSERT_NE(question, nullptr);
    expectShown(question, "driver-present dialog", kQuestionShows, 0, height);
    Click(question, IDB_INIT_NEW);
    HWND settings = WaitDialog(setup.Id(), IDB_SET_SETUP);
    ASSERT_NE(settings, nullptr);
    expectShown(settings, "settings dialog", kSettingsShows, 0, height);
    RECT moved = {};
    SetWindowPos(settings, nullptr, 16, 8, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ASSERT_TRUE(GetWindowRect(settings, &moved));
    ASSERT_EQ(moved.top, 8);
    ASSERT_TRUE(setup.Hold());
    Click(settings, IDB_SET_SETUP);
    ASSERT_TRUE(setup.RunUntil([&] { return FindDialog(setup.Id(), IDB_CANCEL, IDB_SET_SETUP) != nullptr; }));
    HWND copying = FindDialog(setup.Id(), IDB_CANCEL, IDB_SET_SETUP);
    expectShown(copying, "copy dialog", kCopyShows, moved.top, moved.bottom);
    setup.Release();
    EXPECT_EQ(FollowToEnd(setup), (RunEnd{text(TXT_PRODUCT_TITLE), text(TXT_RESTART_NOTICE), Icon::Information, 0}));
}

}  // namespace
