// The install file record: its copy-outs and lower-casing in this process,
// and what it finds when the program runs from other folders, through
// install_file_probe.exe copied there and started with CreateProcessA.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>

#include "flow/install_file.h"

namespace {

std::string SystemDir()
{
    char buffer[PathCapacity];
    return std::string(buffer, GetSystemDirectoryA(buffer, PathCapacity));
}

std::string AsciiCase(std::string text, int (*change)(int))
{
    for (char& c : text) {
        c = static_cast<char>(change(static_cast<unsigned char>(c)));
    }
    return text;
}

TEST(InstallFile, LowerAsciiChangesOnlyAsciiCapitals)
{
    char text[] = "C:\\@AZ[`az{\xC0\xC9\xDE\x80\xFF";
    InstallFile::LowerAscii(text);
    EXPECT_STREQ(text, "c:\\@az[`az{\xC0\xC9\xDE\x80\xFF");

    char unterminated[PathCapacity + 20];  // stops after PathCapacity characters
    memset(unterminated, 'A', sizeof unterminated - 1);
    unterminated[sizeof unterminated - 1] = '\0';
    InstallFile::LowerAscii(unterminated);
    EXPECT_EQ(std::string(unterminated), std::string(PathCapacity, 'a') + std::string(19, 'A'));
}

TEST(InstallFile, CopyOutsFitOrLeaveTheDestinationUntouched)
{
    const InstallFile setupProgram("setupb.exe", nullptr);
    const InstallFile driver("vlncdrvr.sys", "drivers");
    const struct {
        const InstallFile& record;
        bool targetDir;
        std::string expected;
    } cases[] = {
        {setupProgram, false, "setupb.exe"},
        {driver, false, "vlncdrvr.sys"},
        {setupProgram, true, SystemDir()},
        {driver, true, SystemDir() + "\\drivers"},
    };
    for (const auto& c : cases) {
        const int length = static_cast<int>(c.expected.size());
        for (int capacity : {0, length, length + 1, 220}) {
            char buffer[PathCapacity];
            memset(buffer, 'X', sizeof buffer);
            const int copied = c.targetDir ? c.record.CopyTargetDirTo(buffer, capacity)
                                           : c.record.CopyNameTo(buffer, capacity);
            const bool fits = capacity > length;
            EXPECT_EQ(copied, fits ? length : 0) << c.expected << ", capacity " << capacity;
            EXPECT_EQ(std::string(buffer, length + 1), fits ? c.expected + '\0' : std::string(length + 1, 'X'));
        }
    }
}

TEST(InstallFile, EmptyNameIsStoredAndCopied)
{
    const InstallFile empty("", nullptr);
    char buffer[8] = "XXXXXXX";
    EXPECT_EQ(empty.CopyNameTo(buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(std::string(empty.TargetPath()), SystemDir() + "\\");
}

TEST(InstallFile, UnresolvedRecordGivesNoTargetDirectory)
{
    const InstallFile record(std::string(PathCapacity, 'n').c_str(), nullptr);  // a name that does not fit
    EXPECT_EQ(record.SourceAvailable(), 0);
    EXPECT_STREQ(record.TargetPath(), "");
    char buffer[PathCapacity] = "XXXX";
    EXPECT_EQ(record.CopyTargetDirTo(buffer, PathCapacity), 0);
    EXPECT_STREQ(buffer, "XXXX");
}

using Facts = std::map<std::string, std::string>;

// Runs the probe at path, with IFPROBE_SYSTEM_DIR set to systemDir (or
// unset), and returns its "key=value" lines and its exit code.
Facts RunProbe(const std::string& path, const char* systemDir = nullptr)
{
    SetEnvironmentVariableA("IFPROBE_SYSTEM_DIR", systemDir);
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    CreatePipe(&readEnd, &writeEnd, &inheritable, 0);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = writeEnd;
    PROCESS_INFORMATION process = {};
    std::string commandLine = '"' + path + '"';
    const BOOL started = CreateProcessA(path.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                        &startup, &process);
    const DWORD startError = GetLastError();
    CloseHandle(writeEnd);
    SetEnvironmentVariableA("IFPROBE_SYSTEM_DIR", nullptr);
    Facts facts;
    if (!started) {
        CloseHandle(readEnd);
        ADD_FAILURE() << "cannot start " << path << ": error " << startError;
        return facts;
    }
    if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 99);
        ADD_FAILURE() << path << " did not end within 20 s";
    }
    std::string output;
    char chunk[512];
    for (DWORD got = 0; ReadFile(readEnd, chunk, sizeof chunk, &got, nullptr) && got > 0;) {
        output.append(chunk, got);
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    facts["exit"] = std::to_string(exitCode);
    CloseHandle(readEnd);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (size_t start = 0, end; (end = output.find('\n', start)) != std::string::npos; start = end + 1) {
        const size_t length = end - start - (end > start && output[end - 1] == '\r' ? 1 : 0);
        const std::string line = output.substr(start, length);
        const size_t equals = line.find('=');
        facts[line.substr(0, equals)] = equals == std::string::npos ? "" : line.substr(equals + 1);
    }
    return facts;
}

// Removes a file, or a folder with everything in it; a missing path is fine.
void RemoveTree(const std::string& path)
{
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
        if (strcmp(found.cFileName, ".") != 0 && strcmp(found.cFileName, "..") != 0) {
            RemoveTree(path + "\\" + found.cFileName);
        }
    }
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
    }
    if (!RemoveDirectoryA(path.c_str())) {
        DeleteFileA(path.c_str());
    }
}

void PutFile(const std::string& path)
{
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE) << path;
    CloseHandle(file);
}

// Each case starts and ends without the product files in the system
// directory and without the probe's folders.
class InstallFileProbe : public ::testing::Test {
protected:
    void SetUp() override
    {
        char self[PathCapacity];
        probe = std::string(self, GetModuleFileNameA(nullptr, self, PathCapacity));
        probe = probe.substr(0, probe.rfind('\\')) + "\\install_file_probe.exe";
        TearDown();
        ASSERT_TRUE(CreateDirectoryA(root.c_str(), nullptr));
    }
    void TearDown() override
    {
        for (const char* owned : {"\\setupb.exe", "\\unitifprobe.exe", "\\drivers\\vlncdrvr.sys"}) {
            RemoveTree(systemDir + owned);
        }
        RemoveTree(root);
    }
    // Copies the probe into a folder under root; returns the probe's path.
    std::string PlaceProbe(const std::string& folder)
    {
        CreateDirectoryA((root + "\\" + folder).c_str(), nullptr);
        const std::string path = root + "\\" + folder + "\\ifprobe.exe";
        EXPECT_TRUE(CopyFileA(probe.c_str(), path.c_str(), FALSE)) << path;
        return path;
    }

    const std::string systemDir = SystemDir();
    const std::string root = "C:\\unitprobe";
    std::string probe;
};

TEST_F(InstallFileProbe, SystemDirectoryMatchesInAnyAsciiCase)
{
    const std::string upper = AsciiCase(systemDir, ::toupper), lower = AsciiCase(systemDir, ::tolower);
    ASSERT_TRUE(CopyFileA(probe.c_str(), (systemDir + "\\unitifprobe.exe").c_str(), FALSE));
    Facts facts = RunProbe(upper + "\\UNITIFPROBE.EXE");
    EXPECT_EQ(facts["setup.runningFromSystemDir"], "1");
    EXPECT_EQ(facts["driver.runningFromSystemDir"], "1");
    EXPECT_EQ(facts["setup.sourcePath"], lower + "\\setupb.exe");
    EXPECT_EQ(facts["setup.targetPath"], systemDir + "\\setupb.exe");
    EXPECT_EQ(facts["setup.sourceAvailable"], "0");  // renamed, and no setupb.exe beside it

    // Run as setupb.exe from the system directory: source and target are one file.
    ASSERT_TRUE(CopyFileA(probe.c_str(), (systemDir + "\\setupb.exe").c_str(), FALSE));
    facts = RunProbe(upper + "\\SetupB.exe");
    EXPECT_EQ(facts["setup.runningFromSystemDir"], "1");
    EXPECT_EQ(facts["setup.sourceAvailable"], "1");
    EXPECT_EQ(facts["setup.targetExists"], "1");
    EXPECT_EQ(facts["setup.sourcePath"], lower + "\\setupb.exe");
}

TEST_F(InstallFileProbe, FolderNamedLikeTheTargetIsAnExistingTarget)
{
    const std::string path = PlaceProbe("disk");
    EXPECT_EQ(RunProbe(path)["driver.targetExists"], "0");
    ASSERT_TRUE(CreateDirectoryA((systemDir + "\\drivers\\vlncdrvr.sys").c_str(), nullptr));
    EXPECT_EQ(RunProbe(path)["driver.targetExists"], "1");
}

TEST_F(InstallFileProbe, RenamedProgramNeedsSetupProgramBesideIt)
{
    PlaceProbe("Disk");
    const std::string started = "C:\\UnitProbe\\Disk\\IFPROBE.EXE";
    Facts facts = RunProbe(started);
    EXPECT_EQ(facts["exit"], "0");
    EXPECT_EQ(facts["setup.sourceAvailable"], "0");
    EXPECT_EQ(facts["driver.sourceAvailable"], "0");
    EXPECT_EQ(facts["setup.runningFromSystemDir"], "0");
    EXPECT_EQ(facts["setup.sourcePath"], "c:\\unitprobe\\disk\\setupb.exe");
    EXPECT_EQ(facts["driver.targetPath"], systemDir + "\\drivers\\vlncdrvr.sys");  // resolved all the same

    PutFile(root + "\\Disk\\setupb.exe");
    PutFile(root + "\\Disk\\vlncdrvr.sys");
    facts = RunProbe(started);
    EXPECT_EQ(facts["setup.sourceAvailable"], "1");
    EXPECT_EQ(facts["driver.sourceAvailable"], "1");
}

// With a stand-in system directory: an accented capital is no ASCII letter,
// so a directory that differs in one is another directory.
TEST_F(InstallFileProbe, AccentedCapitalIsAnotherDirectory)
{
    const std::string path = PlaceProbe("\xE9t\xE9");
    EXPECT_EQ(RunProbe(path, "C:\\UNITPROBE\\\xE9T\xE9")["setup.runningFromSystemDir"], "1");
    Facts facts = RunProbe(path, "C:\\unitprobe\\\xC9t\xC9");
    EXPECT_EQ(facts["setup.runningFromSystemDir"], "0");
    EXPECT_EQ(facts["driver.runningFromSystemDir"], "0");
    EXPECT_EQ(facts["setup.sourcePath"], "c:\\unitprobe\\\xE9t\xE9\\setupb.exe");
}

// A path that does not fit 260 characters with its terminator fails the
// resolution: sourceAvailable 0, nothing written past the record's texts.
TEST_F(InstallFileProbe, PathsThatDoNotFitAreRefused)
{
    // Program folder of 247 characters: the probe's own path has 259.
    const std::string folder(247 - root.size() - 1, 'p');
    const std::string path = PlaceProbe(folder);
    PutFile(root + "\\" + folder + "\\setupb.exe");
    Facts facts = RunProbe(path);
    EXPECT_EQ(facts["setup.sourceAvailable"], "1");
    EXPECT_EQ(facts["setup.sourcePath"].size(), 258u);
    EXPECT_EQ(facts["driver.name"], "vlncdrvr.sys");  // its source path would have 260 characters
    EXPECT_EQ(facts["driver.sourceAvailable"], "0");
    EXPECT_EQ(facts["driver.sourcePath"] + facts["driver.targetPath"], "");

    // System directory of 238 characters: the driver's target has 259; one more does not fit.
    const std::string disk = PlaceProbe("disk");
    PutFile(root + "\\disk\\setupb.exe");
    PutFile(root + "\\disk\\vlncdrvr.sys");
    const std::string longSystemDir = "C:\\" + std::string(235, 's');
    facts = RunProbe(disk, longSystemDir.c_str());
    EXPECT_EQ(facts["driver.sourceAvailable"], "1");
    EXPECT_EQ(facts["driver.targetPath"], longSystemDir + "\\drivers\\vlncdrvr.sys");
    facts = RunProbe(disk, (longSystemDir + "s").c_str());
    EXPECT_EQ(facts["setup.sourceAvailable"], "1");
    EXPECT_EQ(facts["driver.sourceAvailable"], "0");
    EXPECT_EQ(facts["driver.targetPath"], "");
    EXPECT_EQ(facts["driver.sourcePath"], "c:\\unitprobe\\disk\\vlncdrvr.sys");

    // A system directory that cannot be obtained, or not in full.
    for (const std::string& standIn : {std::string(), std::string(PathCapacity, 's')}) {
        facts = RunProbe(disk, standIn.c_str());
        EXPECT_EQ(facts["setup.name"], "setupb.exe");
        EXPECT_EQ(facts["setup.sourceAvailable"] + facts["setup.targetExists"] + facts["driver.sourceAvailable"], "000");
        EXPECT_EQ(facts["setup.sourcePath"] + facts["setup.targetPath"], "");
    }
}

}  // namespace
