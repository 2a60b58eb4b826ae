#include <sstream>

#include "harness.h"

namespace harness {

namespace {

HANDLE InheritedFile(const std::string& path)  // for the started program's output or errors
{
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;  // an ended program's handle may close a moment late
    return CreateFileA(path.c_str(), GENERIC_WRITE, share, &inherited, CREATE_ALWAYS, 0, nullptr);
}

std::vector<std::string> LinesOf(const std::string& path)
{
    std::vector<std::string> lines;
    std::istringstream text(ReadBytes(path));
    for (std::string line; std::getline(text, line);) {
        lines.push_back(line.substr(0, line.find_last_not_of('\r') + 1));
    }
    return lines;
}

}  // namespace

ConsoleRun RunConsole(const std::string& program, const std::string& arguments, bool oneFile)
{
    const std::string output = kSystemDir + "\\..\\temp\\output.txt";
    const std::string errors = kSystemDir + "\\..\\temp\\errors.txt";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = InheritedFile(output);
    startup.hStdError = oneFile ? startup.hStdOutput : InheritedFile(errors);
    std::string commandLine = '"' + program + "\" " + arguments;
    PROCESS_INFORMATION process = {};
    ConsoleRun run = {StillRunning, {}, {}};
    if (CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                       &startup, &process)) {
        if (WaitForSingleObject(process.hProcess, WaitMs) == WAIT_OBJECT_0) {
            GetExitCodeProcess(process.hProcess, &run.exitCode);
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(startup.hStdOutput);
    run.output = LinesOf(output);
    if (!oneFile) {
        CloseHandle(startup.hStdError);
        run.errors = LinesOf(errors);
    }
    return run;
}

}  // namespace harness
