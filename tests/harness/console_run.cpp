#include "console_run.h"

#include <sstream>

#include "harness.h"

namespace harness {

namespace {

// A file the started program inherits as its standard output or error.
HANDLE InheritedFile(const std::string& path)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::vector<std::string> LinesOf(const std::string& path)
{
    std::vector<std::string> lines;
    std::istringstream text(ReadBytes(path));
    std::string line;
    while (std::getline(text, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

}  // namespace

ConsoleRun RunConsole(const std::string& program, const std::string& arguments, bool oneFile)
{
    const std::string outputPath = kSystemDir + "\\..\\temp\\console-output.txt";
    const std::string errorsPath = kSystemDir + "\\..\\temp\\console-errors.txt";
    const HANDLE output = InheritedFile(outputPath);
    HANDLE errors = output;
    if (!oneFile) {
        errors = InheritedFile(errorsPath);
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = INVALID_HANDLE_VALUE;
    startup.hStdOutput = output;
    startup.hStdError = errors;
    std::string commandLine = '"' + program + "\" " + arguments;
    PROCESS_INFORMATION process = {};
    ConsoleRun run = {StillRunning, {}, {}};
    if (CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                       nullptr, &startup, &process)) {
        if (WaitForSingleObject(process.hProcess, WaitMs) == WAIT_OBJECT_0) {
            GetExitCodeProcess(process.hProcess, &run.exitCode);
        } else {
            TerminateProcess(process.hProcess, StillRunning);
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(output);
    if (!oneFile) {
        CloseHandle(errors);
        run.errors = LinesOf(errorsPath);
    }
    run.output = LinesOf(outputPath);
    return run;
}

bool HasLine(const std::vector<std::string>& lines, const std::string& line)
{
    for (const std::string& each : lines) {
        if (each == line) {
            return true;
        }
    }
    return false;
}

}  // namespace harness
