// Runs a console program to its end, as a script or a deployment tool does: its output, its errors and its full
// 32-bit exit code.
#ifndef SETUPB_TESTS_CONSOLE_RUN_H
#define SETUPB_TESTS_CONSOLE_RUN_H

#include <windows.h>

#include <string>
#include <vector>

namespace harness {

struct ConsoleRun {
    DWORD exitCode;
    std::vector<std::string> output;  // its lines, without line breaks
    std::vector<std::string> errors;  // empty when both went to one file: then all of it is in output
};

// program: a Windows path; arguments as typed after the program's name. oneFile: output and errors into one file.
ConsoleRun RunConsole(const std::string& program, const std::string& arguments, bool oneFile = false);

bool HasLine(const std::vector<std::string>& lines, const std::string& line);

}  // namespace harness

#endif
