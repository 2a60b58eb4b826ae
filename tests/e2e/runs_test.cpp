// Whole runs of the real setupb.exe: a first installation from the diskette, every way of starting it and of
// leaving its dialogs, registry steps over an earlier installation, its messages' language.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>

#include <map>

#include "harness.h"
#include "resource.h"

namespace {

using namespace harness;

const char kTitle[] = "VELNARI Device Driver Setup", kDriver[] = "driver on the diskette";
const RunEnd kRestart = {kTitle, "The changes you have made will not take effedt until the computer is restarted.",
                         Icon::Information, 0};
const RunEnd kFailed = {kTitle, "Failed to install the VELNARI adapter.", Icon::Exclamation, 1};

TEST(Runs, FreshInstallShowsDefaultsCopiesBothFilesRegistersAndAsksForRestart)
{
    ASSERT_TRUE(ResetMachine() && PrepareDiskette(kDriver));
    Process setup;
    ASSERT_TRUE(setup.Start("A:\\setupb.exe"));
    HWND settings = WaitDialog(setup.Id(), IDB_SET_SETUP);
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(TextOf(settings), kTitle);
    EXPECT_EQ(Focus(settings), GetDlgItem(settings, IDC_SET_DMA_LIST));
    PressKey(settings, VK_RETURN);  // the default button, Setup: the defaults shown are the settings stored

    EXPECT_EQ(FollowToEnd(setup), kRestart);
    EXPECT_TRUE(ReadBytes(kInstalledSetup) == ReadBytes(kBuiltSetup)) << "setupb.exe installed as built";
    EXPECT_EQ(ReadBytes(kInstalledDriver), kDriver);
    Values serviceKey = ReadKey(kServiceKey).value_or(Values{});
    for (auto [name, value] : ServiceValues()) {
        if (name == "ImagePath") {  // Wine's service manager rewrites it as REG_SZ: its type is left out here
            value.first = serviceKey[name].first = REG_NONE;
        }
        EXPECT_EQ(serviceKey[name], value) << name;
    }
    EXPECT_EQ(ReadKey(kParametersKey), ParameterValues(5, 10, 0x300, 20, 0, 0));
    const ServiceConfig s = QueryService().value_or(ServiceConfig{});  // a kernel driver (1) started at boot (0)
    EXPECT_EQ(std::to_string(s.type) + s.image + std::to_string(s.start) + std::to_string(s.errorControl) + s.group,
              "1System32\\Drivers\\VLNCDRVR.SYS01SCSI CDROM Class");
}

// Renamed: A:\install.exe, no setupb.exe beside it; Glued: the tail right after the quoted name; Accented: from
// a folder whose name has an accented letter (as on a German system), unquoted.
enum class From { Disk, System, Renamed, Glued, Accented };
const char kAccented[] = "C:\\acc\\Ger\xE4te\\setupb.exe";
enum class At { Nothing, Current, New, Enter, Setup, Cancel, AltF4, MenuClose, CopyCancel, CopyAltF4, Held, Gone };
const struct RunRow {
    const char* name;
    From from;
    const char* tail;
    bool driverOnDisk, driverInstalled;
    At question;  // the answer to the driver-present question, which is asked exactly when given
    At settings;  // done in the settings dialog (Held: the setup target, Gone: the driver file); Nothing: no dialog
    RunEnd end;   // the service key is written exactly when the exit code is 0
    int setupCopied, driverCopied;
} kRuns[] = {
    {"Current keeps the installed files", From::Disk, "", 1, 1, At::Current, At::Setup, kRestart, 0, 0},
    {"Enter answers Current", From::Disk, "", 1, 1, At::Enter, At::Setup, kRestart, 0, 0},
    {"New replaces the installed files", From::Disk, "", 1, 1, At::New, At::Setup, kRestart, 1, 1},
    {"Cancel at the question", From::Disk, "", 1, 1, At::Cancel, At::Nothing, Silent(2), 0, 0},
    {"Alt+F4 at the question", From::Disk, "", 1, 1, At::AltF4, At::Nothing, Silent(2), 0, 0},
    {"system directory reconfigures", From::System, "", 0, 1, At::Nothing, At::Setup, kRestart, 0, 0},
    {"system directory, no driver", From::System, "", 0, 0, At::Nothing, At::Nothing, kFailed, 0, 0},
    {"diskette without the driver file", From::Disk, "", 0, 0, At::Nothing, At::Nothing, kFailed, 0, 0},
    {"renamed, no setupb.exe beside it", From::Renamed, "", 1, 0, At::Nothing, At::Nothing, kFailed, 0, 0},
    {"renamed, \"1\"", From::Renamed, "1", 1, 0, At::Nothing, At::Nothing, Silent(1), 0, 0},
    {"\"1\" replaces installed files unasked", From::Disk, "1", 1, 1, At::Nothing, At::Setup, Silent(0), 1, 1},
    {"\"2\" reconfigures", From::System, "2", 0, 1, At::Nothing, At::Setup, Silent(0), 0, 0},
    {"Cancel in the settings dialog", From::Disk, "", 1, 0, At::Nothing, At::Cancel, Silent(2), 0, 0},
    {"Alt+F4 in the settings dialog", From::Disk, "", 1, 0, At::Nothing, At::AltF4, Silent(2), 0, 0},
    {"Close in its window menu", From::Disk, "", 1, 0, At::Nothing, At::MenuClose, Silent(2), 0, 0},
    {"Cancel in the copy dialog", From::Disk, "", 1, 0, At::Nothing, At::CopyCancel, Silent(2), 0, 0},
    {"Alt+F4 in the copy dialog", From::Disk, "", 1, 0, At::Nothing, At::CopyAltF4, Silent(2), 0, 0},
    {"setup target held open", From::Disk, "", 1, 0, At::Nothing, At::Held, kFailed, 0, 0},
    {"driver file gone during the run", From::Disk, "", 1, 0, At::Nothing, At::Gone, kFailed, 1, 0},
    {"\"2\" right after the quoted name", From::Glued, "2", 1, 1, At::Nothing, At::Nothing, Silent(2), 0, 0},
    {"\"1\" after an accented unquoted name", From::Accented, "1", 0, 0, At::Nothing, At::Nothing, Silent(2), 0, 0},
    {"\"2\" after an accented unquoted name", From::Accented, "2", 0, 1, At::Nothing, At::Nothing, Silent(2), 0, 0},
};
void PrintTo(const RunRow& row, std::ostream* out) { *out << row.name; }

// What a person does in a dialog. The copy dialog is left with a key that waits in the input queue while the
// program is held at Setup: it is read as soon as the copy dialog is open, before its first timer tick.
void Act(Process& setup, HWND dialog, At at)
{
    const std::map<At, int> id = {{At::Current, IDB_INIT_CURRENT}, {At::New, IDB_INIT_NEW}, {At::Cancel, IDB_CANCEL}};
    RECT rect = {};
    GetWindowRect(dialog, &rect);
    if (at == At::Enter || at == At::AltF4) {
        PressKey(dialog, at == At::Enter ? VK_RETURN : VK_F4, at == At::AltF4);
    } else if (at == At::MenuClose) {  // its lParam holds the mouse position
        PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, MAKELPARAM(rect.left + 12, rect.top + 8));
    } else if (at == At::CopyCancel || at == At::CopyAltF4) {
        ASSERT_TRUE(setup.Hold());
        Click(dialog, IDB_SET_SETUP);
        QueueKey(at == At::CopyAltF4 ? VK_F4 : VK_SPACE, at == At::CopyAltF4);  // Space presses the focused Cancel
        setup.Release();
    } else {
        Click(dialog, id.count(at) ? id.at(at) : IDB_SET_SETUP);  // Setup, also for a copy to fail
    }
}

void RunAndCheck(const RunRow& row)
{
    ASSERT_TRUE(PrepareDiskette(row.driverOnDisk ? kDriver : nullptr) && WriteBytes(kInstalledSetup, "setup before"));
    ASSERT_TRUE(row.from != From::Renamed || MoveFileA("A:\\setupb.exe", "A:\\install.exe"));
    std::string program = row.from == From::Renamed ? "A:\\install.exe" : "A:\\setupb.exe";
    if (row.from == From::Accented) {  // Wine stores such a name only under a UTF-8 locale, such as C.UTF-8
        program = kAccented;
        CreateDirectoryA("C:\\acc", nullptr);
        CreateDirectoryA("C:\\acc\\Ger\xE4te", nullptr);
        ASSERT_TRUE(CopyFileA(kBuiltSetup.c_str(), kAccented, FALSE));
    }
    if (row.from == From::System) {
        // A driver file beside the program: a copy that must not happen would show.
        ASSERT_TRUE(CopyFileA(kBuiltSetup.c_str(), kInstalledSetup.c_str(), FALSE) &&
                    WriteBytes(kSystemDir + "\\vlncdrvr.sys", kDriver));
        program = kInstalledSetup;
        CharUpperA(&program[0]);  // the system directory is recognised in any ASCII case
    }
    ASSERT_TRUE(!row.driverInstalled || WriteBytes(kInstalledDriver, "driver before"));
    const std::string setupBefore = ReadBytes(kInstalledSetup), driverBefore = ReadBytes(kInstalledDriver);

    Process setup;
    const std::string name = row.from == From::Accented ? program : '"' + program + '"';
    ASSERT_TRUE(setup.StartLine(program, name + (row.from == From::Glued ? "" : " ") + row.tail));
    if (row.question != At::Nothing) {
        HWND question = WaitDialog(setup.Id(), IDB_INIT_CURRENT);
        ASSERT_NE(question, nullptr) << "no driver-present question";
        EXPECT_EQ(TextOf(question), kTitle);
        EXPECT_EQ(ItemText(question, IDT_INIT_QUESTION), "The driver for this VELNARI Adapter are already on the "
                                                         "system. Do you want to use the currently installed driver "
                                                         "or install new one.");
        EXPECT_EQ(ItemText(question, IDB_INIT_CURRENT) + ItemText(question, IDB_INIT_NEW), "CurrentNew");
        EXPECT_EQ(ReadIcon(GetDlgItem(question, 0xFFFF)), Icon::Question);
        EXPECT_EQ(Focus(question), GetDlgItem(question, IDB_INIT_CURRENT));
        Act(setup, question, row.question);
    }
    HANDLE held = INVALID_HANDLE_VALUE;  // by another program, without sharing
    if (row.settings != At::Nothing) {
        HWND settings = WaitDialog(setup.Id(), IDB_SET_SETUP);
        ASSERT_NE(settings, nullptr) << "no settings dialog";
        Type(settings, IDE_SET_PORT, "");  // the focus on a field: a focused list would swallow Alt+F4
        if (row.settings == At::Held) {
            held = CreateFileA(kInstalledSetup.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
        }
        ASSERT_TRUE(Barrier(settings) && (row.settings != At::Gone || DeleteFileA("A:\\vlncdrvr.sys")));
        ASSERT_NO_FATAL_FAILURE(Act(setup, settings, row.settings));
    }
    const RunEnd end = FollowToEnd(setup);
    CloseHandle(held);
    EXPECT_EQ(end, row.end);
    EXPECT_EQ(ReadKey(kServiceKey).has_value(), row.end.exitCode == 0);
    const std::string setupAfter = ReadBytes(kInstalledSetup);
    EXPECT_TRUE(setupAfter == (row.setupCopied ? ReadBytes(kBuiltSetup) : setupBefore));
    EXPECT_EQ(ReadBytes(kInstalledDriver), row.driverCopied ? kDriver : driverBefore);
}

class EachWayOfStartingAndLeaving : public testing::TestWithParam<RunRow> {};

TEST_P(EachWayOfStartingAndLeaving, EndsAsItShould)
{
    ASSERT_TRUE(ResetMachine());
    RunAndCheck(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Runs, EachWayOfStartingAndLeaving, testing::ValuesIn(kRuns));  // named by PrintTo

// Runs the program ("1" from the diskette, else from the system directory) and presses Setup.
RunEnd SetUpInstalled(const char* tail)
{
    Process setup;
    const bool started = setup.Start(tail[0] == '1' ? "A:\\setupb.exe" : kInstalledSetup, tail);
    PressKey(started ? WaitDialog(setup.Id(), IDB_SET_SETUP) : nullptr, VK_RETURN);
    return FollowToEnd(setup);
}

// Setup over an earlier installation writes the service key, Parameters and each sibling in turn, in every
// run mode; a step that fails ends the run with its status and no message, after the steps before it.
TEST(Runs, RegistryStepsOverAnInstallationEndAtTheFirstThatFailsWithItsStatus)
{
    const std::string keys[] = {kServiceKey, kParametersKey, SiblingKey(0), SiblingKey(1), SiblingKey(2)};
    const struct {
        const char* what;
        int failing;  // in keys[], 5 for none; the keys before it are written
        bool denied;  // else its Start is 8 bytes long
        const char* tail;  // by hand, or for a calling installer: the same status in every run mode
        DWORD exitCode;
    } faults[] = {{"nothing in the way, installed again", 5, true, "1", ERROR_SUCCESS},
                  {"nothing in the way, reconfigured", 5, true, "2", ERROR_SUCCESS},
                  {"service key denied", 0, true, "", ERROR_ACCESS_DENIED},
                  {"Parameters denied", 1, true, "1", ERROR_ACCESS_DENIED},
                  {"second sibling denied", 3, true, "2", ERROR_ACCESS_DENIED},
                  {"second sibling's Start of 8 bytes", 3, false, "1", ERROR_MORE_DATA},
                  {"second sibling's Start of 8 bytes", 3, false, "2", ERROR_MORE_DATA}};
    for (const auto& fault : faults) {
        SCOPED_TRACE(std::string(fault.what) + ", tail \"" + fault.tail + "\"");
        // An earlier installation, then values no run writes: a service type of 7, a 1-byte buffer size, siblings
        // that would start.
        Values parameters = ParameterValues(6, 9, 0x2A0, 33, 1, 1);
        parameters["BufferSize"] = {REG_BINARY, "\x21"};
        Key before[5], written[5] = {ServiceValues(), ParameterValues(6, 9, 0x2A0, 33, 1, 1)};
        ASSERT_TRUE(ResetMachine() && PrepareDiskette(kDriver) && SetUpInstalled("1") == Silent(0) &&
                    StoreValues(kServiceKey, {{"Type", Dword(7)}}) && StoreValues(kParametersKey, parameters));
        for (int key = 2; key < 5; ++key) {
            ASSERT_TRUE(StoreValues(keys[key], {{"Start", Dword(1)}}));
            written[key] = Values{{"Start", Dword(4)}};
        }
        const Values eightBytes = {{"Start", {REG_BINARY, "12345678"}}};
        ASSERT_TRUE(fault.failing == 5 ||
                    (fault.denied ? DenyChanges(keys[fault.failing]) : StoreValues(keys[fault.failing], eightBytes)));
        for (int key = 0; key < 5; ++key) {
            before[key] = ReadKey(keys[key]);
        }
        written[0]->insert(before[0]->begin(), before[0]->end());  // what the program does not write stays
        EXPECT_EQ(SetUpInstalled(fault.tail), Silent(fault.exitCode));
        for (int key = 0; key < 5; ++key) {
            EXPECT_EQ(ReadKey(keys[key]), key < fault.failing ? written[key] : before[key]) << keys[key];
        }
    }
}

// Run by the e2e.language.* tests, each under its locale, SETUPB_EXPECTED naming the language and locale ids due.
TEST(Language, InstallFailedMessageFollowsTheSystemLocale)
{
    const std::map<std::string, RunEnd> languages = {
        {"English", kFailed},
        {"German", {"Auswahl und Eingabe der Treiber-Parameter", "Der VELNARI Adapter konnte nicht installiert werden.",
                    Icon::Exclamation, 1}},
        {"French", {"Installation du Device Driver de VELNARI",
                    "L\x92" "adaptateur VELNARI n\x92" "a pu \xEAtre install\xE9" "e.", Icon::Exclamation, 1}},
    };
    char language[16] = "";
    unsigned long system = 0, user = 0;
    const char* due = getenv("SETUPB_EXPECTED");
    ASSERT_TRUE(due && sscanf(due, "%15s %lx %lx", language, &system, &user) == 3 && languages.count(language));
    EXPECT_EQ(GetSystemDefaultLCID(), system);
    EXPECT_EQ(GetUserDefaultLCID(), user);
    ASSERT_TRUE(ResetMachine() && PrepareDiskette(nullptr));  // no driver file: the run fails at once
    Process setup;
    ASSERT_TRUE(setup.Start("A:\\setupb.exe"));
    EXPECT_EQ(FollowToEnd(setup), languages.at(language));
}

}  // namespace
