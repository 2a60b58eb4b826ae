// The administrator's vlncdctl.exe run from the diskette as a script runs it: what each command leaves behind in the
// registry, the service manager and the system directory, read with the harness's own readers, and what it prints.
#include <gtest/gtest.h>

#include <algorithm>

#include "harness.h"
#include "resource.h"

namespace {

using namespace harness;

const char kTool[] = "A:\\vlncdctl.exe";
const char kI686Tool[] = VLNCDCTL_I686_EXE;
const char kDriver[] = "driver on the diskette";
const char kPendingKey[] = "System\\CurrentControlSet\\Control\\Session Manager";

// How the machine is before the command.
enum class Before {
    Nothing,            // nothing installed; the diskette holds both files
    NoDriverOnDisk,     // nothing installed; the diskette lacks vlncdrvr.sys
    Installed,          // an earlier installation with settings of its own and a sibling that would start
    ServiceMarked,      // that installation with its service marked for deletion, held open by another program
    BrokenInstalled,    // that installation without its service, two values stored as no 4-byte number is
    InstalledBySetup,   // the defaults installed by setupb.exe "1" from the diskette
    LeftoverKeyDenied,  // only the service key with Parameters, which nobody may change
    I686UnderWow64,     // nothing installed; the diskette holds the i686 build
};

// What the command leaves behind.
enum class After {
    Unchanged,   // the registry, the service and the files as they were
    Registered,  // Parameters as given, the service key and the service as the setup makes them; files as they were
    Installed,   // registered, and both files copied from the diskette
    Copied,      // both files copied from the diskette; the siblings as they were
    Removed,     // no service, no service key, no product file; the siblings as they were
};

struct ToolRow {
    const char* name;
    Before before = Before::Nothing;
    const char* arguments;
    DWORD exitCode = 0;
    After after = After::Unchanged;
    Values parameters = {};                // Parameters afterwards, when registered or installed
    std::vector<std::string> output = {};  // lines the output holds
    const char* error = nullptr;           // the one line of errors after "vlncdctl: ", else no error at all
};

const Values kEarlier = ParameterValues(7, 5, 0x2A0, 33, 1, 1);
const ToolRow kToolRows[] = {
    {.name = "install, every setting given, any case", .arguments = "Install DMA=None irq=3 Port=3fF buffer=64 "
     "audio=MONO door=Lock", .after = After::Installed, .parameters = ParameterValues(0, 3, 0x3FF, 64, 1, 1),
     .output = {"Registering the driver with dma=none irq=3 port=3FF buffer=64 audio=mono door=lock"}},
    {.name = "install, no setting: the defaults", .arguments = "install", .after = After::Installed,
     .parameters = ParameterValues(5, 10, 0x300, 20, 0, 0)},
    {.name = "install over an installation keeps its settings", .before = Before::Installed,
     .arguments = "install irq=9 buffer=02", .after = After::Installed,
     .parameters = ParameterValues(7, 9, 0x2A0, 2, 1, 1)},
    {.name = "install without the driver file", .before = Before::NoDriverOnDisk, .arguments = "install",
     .exitCode = 1, .error = "a:\\vlncdrvr.sys: 2 File not found."},
    {.name = "install from the system directory", .arguments = "install /from:C:\\Windows\\System32\\",
     .exitCode = 87, .error = "C:\\Windows\\System32: the source folder is the system directory that the files are "
     "installed into; install from the diskette's vlncdctl.exe, or name its folder with /from:"},
    {.name = "install over a service pending deletion", .before = Before::ServiceMarked, .arguments = "install",
     .exitCode = 1072, .after = After::Copied, .error = "registering the driver (service key, Parameters, service, "
     "sibling services): 1072 Service marked for delete."},
    {.name = "an IRQ the dialog does not offer", .arguments = "install irq=12", .exitCode = 87,
     .error = "'irq=12': not accepted; accepted: irq=3|5|9|10|11"},
    {.name = "a port out of range", .before = Before::Installed, .arguments = "set port=400", .exitCode = 87,
     .error = "'port=400': not accepted; accepted: port=0 to 3FF (1 to 3 hexadecimal digits)"},
    {.name = "a port of four digits", .arguments = "install port=0300", .exitCode = 87,
     .error = "'port=0300': not accepted; accepted: port=0 to 3FF (1 to 3 hexadecimal digits)"},
    {.name = "a buffer too small", .arguments = "install buffer=1", .exitCode = 87,
     .error = "'buffer=1': not accepted; accepted: buffer=2 to 64"},
    {.name = "a setting given twice", .arguments = "install irq=3 IRQ=5", .exitCode = 87,
     .error = "'IRQ=5': given twice; give each setting once"},
    {.name = "an unknown setting", .arguments = "install speed=2", .exitCode = 87,
     .error = "'speed=2': not a setting nor /from:DIR; accepted: dma=, irq=, port=, buffer=, audio=, door="},
    {.name = "a source folder given twice", .arguments = "install /from:A:\\ /FROM:A:\\", .exitCode = 87,
     .error = "'/FROM:A:\\': a second /from:; give the source folder once"},
    {.name = "set takes no source folder", .before = Before::Installed, .arguments = "set /from:A:\\",
     .exitCode = 87, .error = "'/from:A:\\': not a setting; accepted: dma=, irq=, port=, buffer=, audio=, door="},
    {.name = "an unknown command", .before = Before::Installed, .arguments = "setup", .exitCode = 87,
     .error = "setup: not a command; accepted: install, set, status, remove, /? (run vlncdctl /?)"},
    {.name = "no command", .before = Before::Installed, .arguments = "", .exitCode = 87,
     .output = {"Usage: vlncdctl COMMAND [ARGUMENTS]"}},
    {.name = "help", .before = Before::Installed, .arguments = "-H", .output = {"Usage: vlncdctl COMMAND [ARGUMENTS]"}},
    {.name = "set on an installation", .before = Before::Installed, .arguments = "SET door=unlock Buffer=2",
     .after = After::Registered, .parameters = ParameterValues(7, 5, 0x2A0, 2, 1, 0)},
    {.name = "set with no driver installed", .arguments = "set irq=5", .exitCode = 1,
     .error = "C:\\windows\\system32\\drivers\\vlncdrvr.sys: no driver installed there; install it first "
              "(vlncdctl install)"},
    {.name = "status of nothing", .arguments = "status", .exitCode = 1060, .output = {"Installed: no"}},
    {.name = "status of an installation", .before = Before::Installed, .arguments = "STATUS",
     .output = {"IOPortAddress=2A0"}},
    {.name = "status of a part, values as stored", .before = Before::BrokenInstalled, .arguments = "status",
     .exitCode = 1, .output = {"Installed: partly; missing or pending: the service", "BufferSize=not a 4-byte number",
                               "IOPortAddress=not a 4-byte number"}},
    {.name = "status of a service pending deletion", .before = Before::ServiceMarked, .arguments = "status",
     .exitCode = 1, .output = {"Installed: partly; missing or pending: the service marked for deletion"}},
    {.name = "remove after install", .before = Before::Installed, .arguments = "remove", .after = After::Removed,
     .output = {"Removed"}},
    {.name = "remove after setupb.exe", .before = Before::InstalledBySetup, .arguments = "Remove",
     .after = After::Removed,
     .output = {"Left disabled: vlnpx11 (Start=4); start it again with sc config vlnpx11 start= <its start type>"}},
    {.name = "remove of a service another program holds open", .before = Before::ServiceMarked, .arguments = "remove",
     .exitCode = 3010, .after = After::Removed,
     .output = {"Service VlnCD: marked for deletion; it goes at the next restart"}},
    {.name = "remove of nothing", .arguments = "remove",
     .output = {"Nothing to remove: no product file, no service key, no service VlnCD"}},
    {.name = "remove of a key nobody may change", .before = Before::LeftoverKeyDenied, .arguments = "remove",
     .exitCode = 5, .error = "setting Start=4 (disabled) in the service key: 5 Access denied. Run vlncdctl as an "
     "administrator."},
    {.name = "the i686 build on 64-bit Windows", .before = Before::I686UnderWow64, .arguments = "install",
     .exitCode = 1, .error = "install: this is the 32-bit (i686) vlncdctl.exe on 64-bit Windows, where it sees "
     "another system directory; run the x86_64 build of vlncdctl.exe"},
};

bool Has(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// What the commands may change, read without the tool's code.
struct Machine {
    Key serviceKey, parameters, sibling;  // the sibling: vlnpx11
    bool serviceKnown;
    std::string setupProgram, driver;  // the installed files' bytes
    bool operator==(const Machine&) const = default;
};

Machine ReadMachine()
{
    return {.serviceKey = ReadKey(kServiceKey), .parameters = ReadKey(kParametersKey),
            .sibling = ReadKey(SiblingKey(0)), .serviceKnown = QueryService().has_value(),
            .setupProgram = ReadBytes(kInstalledSetup), .driver = ReadBytes(kInstalledDriver)};
}

// An earlier installation laid out as the setup leaves one, with settings no default has.
bool LayOutInstallation(bool withService)
{
    const bool laidOut = WriteBytes(kInstalledSetup, "setup before") && WriteBytes(kInstalledDriver, "driver before") &&
                         StoreValues(kServiceKey, ServiceValues()) && StoreValues(kParametersKey, kEarlier);
    return laidOut && (!withService || CreateDriverService());
}

bool InstallBySetup()
{
    Process setup;
    const HWND settings = setup.Start("A:\\setupb.exe", "1") ? WaitDialog(setup.Id(), IDB_SET_SETUP) : nullptr;
    PressKey(settings, VK_RETURN);
    return settings != nullptr && FollowToEnd(setup) == Silent(0);
}

std::optional<Service> markedService;  // held open from Prepare to the end of the row

bool Prepare(Before before)
{
    markedService.reset();
    bool prepared = ResetMachine() && PrepareDiskette(before == Before::NoDriverOnDisk ? nullptr : kDriver) &&
                    CopyFileA(WindowsPath(VLNCDCTL_EXE).c_str(), kTool, FALSE) &&
                    StoreValues(SiblingKey(0), {{"Start", Dword(1)}});
    if (before == Before::Installed) {
        prepared = prepared && LayOutInstallation(true);
    } else if (before == Before::ServiceMarked) {
        prepared = prepared && LayOutInstallation(true) && DeleteService(markedService.emplace().service);
    } else if (before == Before::BrokenInstalled) {
        const Values broken = {{"BufferSize", {REG_DWORD, std::string("\x21\0", 2)}},
                               {"IOPortAddress", Text(REG_SZ, "300")}};
        prepared = prepared && LayOutInstallation(false) && StoreValues(kParametersKey, broken);
    } else if (before == Before::InstalledBySetup) {
        prepared = prepared && InstallBySetup();
    } else if (before == Before::LeftoverKeyDenied) {
        prepared = prepared && StoreValues(kParametersKey, kEarlier) && DenyChanges(kServiceKey);
    }
    return prepared;
}

void RunRow(const ToolRow& row)
{
    ASSERT_TRUE(Prepare(row.before));
    if (row.before == Before::I686UnderWow64 && (!*kI686Tool || !CopyFileA(WindowsPath(kI686Tool).c_str(), kTool, 0))) {
        printf("skipped: %s (runs in the win64 build's tests where 32-bit Wine runs)\n", row.name);
        return;
    }
    const Machine before = ReadMachine();
    const ConsoleRun run = RunConsole(kTool, row.arguments);
    DenyChanges(kServiceKey, false);
    EXPECT_EQ(run.exitCode, row.exitCode);
    for (const std::string& line : row.output) EXPECT_TRUE(Has(run.output, line)) << "output lacks: " << line;
    std::vector<std::string> errors;  // the one line of a refusal or a failure, or none
    if (row.error) errors.push_back(std::string("vlncdctl: ") + row.error);
    EXPECT_EQ(run.errors, errors);

    const Machine after = ReadMachine();
    if (row.after == After::Unchanged) {
        EXPECT_TRUE(after == before) << "the command changed the machine";
        return;
    }
    if (row.after == After::Copied || row.after == After::Removed) {  // the siblings stay as they were
        const bool removed = row.after == After::Removed;
        EXPECT_EQ(after.setupProgram, removed ? "<missing>" : ReadBytes(kBuiltSetup));
        EXPECT_EQ(after.driver, removed ? "<missing>" : kDriver);
        EXPECT_EQ(after.sibling, before.sibling);
        EXPECT_TRUE(!removed || !after.serviceKey) << "the service key left";
        // A service another program holds open stays until that handle closes: the removal waits for the restart.
        EXPECT_TRUE(!removed || after.serviceKnown == (row.exitCode == ERROR_SUCCESS_REBOOT_REQUIRED));
        return;
    }
    EXPECT_EQ(after.parameters, row.parameters);
    // The service manager stores ImagePath as REG_SZ once it creates the service: its text is compared.
    Values serviceKey = after.serviceKey.value_or(Values{});
    for (const auto& [name, value] : ServiceValues()) EXPECT_EQ(serviceKey[name].second, value.second) << name;
    const ServiceConfig service = QueryService().value_or(ServiceConfig{});
    EXPECT_EQ(service.type, DWORD(SERVICE_KERNEL_DRIVER));
    EXPECT_EQ(service.start, DWORD(SERVICE_BOOT_START));
    EXPECT_EQ(after.sibling, Key(Values{{"Start", Dword(4)}}));
    const bool copied = row.after == After::Installed;
    EXPECT_EQ(after.setupProgram, copied ? ReadBytes(kBuiltSetup) : before.setupProgram);
    EXPECT_EQ(after.driver, copied ? kDriver : before.driver);
}

TEST(AdminTool, EachCommandLeavesTheMachineAsItShouldAndSaysSo)
{
    for (const ToolRow& row : kToolRows) {
        SCOPED_TRACE(row.name);
        RunRow(row);
    }
    markedService.reset();
}

// The driver file in use: remove leaves it to the next restart (3010) on the system's list, next to another
// program's entry. An install while it is still in use fails at its copy, after the step before it, in the order
// the lines were written; once it is free an install takes it off the list again, the first time and the second.
TEST(AdminTool, AFileInUseGoesAtTheRestartUnlessInstalledAgainBeforeIt)
{
    const std::string other("\\??\\C:\\other.tmp\0", 17);  // deleted at the restart: an empty target follows
    ASSERT_TRUE(Prepare(Before::Installed));
    ASSERT_TRUE(StoreValues(kPendingKey, {{"PendingFileRenameOperations", {REG_MULTI_SZ, other + '\0' + '\0'}}}));
    const HANDLE held = CreateFileA(kInstalledDriver.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const ConsoleRun removed = RunConsole(kTool, "remove");
    EXPECT_EQ(removed.exitCode, DWORD(ERROR_SUCCESS_REBOOT_REQUIRED));
    EXPECT_TRUE(Has(removed.output, kInstalledDriver + ": in use; to be deleted at the next restart"));
    const Value pending = ReadKey(kPendingKey).value_or(Values{})["PendingFileRenameOperations"];
    EXPECT_EQ(pending.second, other + '\0' + "\\??\\" + kInstalledDriver + std::string(3, '\0'));
    EXPECT_EQ(ReadKey(kServiceKey), std::nullopt);
    EXPECT_EQ(ReadBytes(kInstalledSetup), "<missing>");

    const ConsoleRun refused = RunConsole(kTool, "install", true);
    CloseHandle(held);
    EXPECT_EQ(refused.exitCode, DWORD(1));
    const std::vector<std::string> inOrder = {
        "Taken off the list of files to delete at the next restart: the product files",
        "Copied a:\\setupb.exe to " + kInstalledSetup,
        "vlncdctl: copying a:\\vlncdrvr.sys to " + kInstalledDriver + ": 32 Sharing violation."};
    EXPECT_EQ(refused.output, inOrder);

    for (const char* time : {"first", "second"}) {
        SCOPED_TRACE(std::string("install before the restart, the ") + time + " time");
        EXPECT_EQ(RunConsole(kTool, "install").exitCode, DWORD(0));
        const Value left = ReadKey(kPendingKey).value_or(Values{})["PendingFileRenameOperations"];
        EXPECT_EQ(left.second, other + '\0' + '\0');
        EXPECT_EQ(ReadBytes(kInstalledDriver), kDriver);
    }
    ASSERT_TRUE(StoreValues(kPendingKey, {{"PendingFileRenameOperations", {REG_MULTI_SZ, std::string(2, '\0')}}}));
}

// A batch file as an administrator writes it: each command on its own line, each exit code as %ERRORLEVEL% shows it,
// and what the registry and the service manager hold as reg and sc tell.
TEST(AdminTool, ABatchFileReadsEachCommandsExitCode)
{
    ASSERT_TRUE(Prepare(Before::Nothing));
    ASSERT_TRUE(WriteBytes("A:\\deploy.cmd", "@echo off\r\n"
                           "A:\\vlncdctl.exe status >nul\r\n"
                           "echo status=%ERRORLEVEL%\r\n"
                           "if errorlevel 1 A:\\vlncdctl.exe install irq=11 port=340 >nul\r\n"
                           "echo install=%ERRORLEVEL%\r\n"
                           "reg query HKLM\\System\\CurrentControlSet\\Services\\VlnCD\\Parameters /v IOPortAddress\r\n"
                           "sc query VlnCD\r\n"
                           "A:\\vlncdctl.exe remove >nul\r\n"
                           "echo remove=%ERRORLEVEL%\r\n"
                           "A:\\vlncdctl.exe set irq=3\r\n"
                           "echo set=%ERRORLEVEL%\r\n"));
    const ConsoleRun run = RunConsole(kSystemDir + "\\cmd.exe", "/c A:\\deploy.cmd", true);
    DeleteFileA("A:\\deploy.cmd");
    EXPECT_TRUE(Has(run.output, "status=1060"));
    EXPECT_TRUE(Has(run.output, "install=0"));
    EXPECT_TRUE(Has(run.output, "    IOPortAddress    REG_DWORD    0x340"));
    EXPECT_TRUE(Has(run.output, "SERVICE_NAME: VlnCD"));
    EXPECT_TRUE(Has(run.output, "remove=0"));
    EXPECT_TRUE(Has(run.output, "set=1"));
}

}  // namespace
