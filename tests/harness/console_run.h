// Runs a console program to its end as a script does: its output, its errors and its full 32-bit exit code.
#ifndef SETUPB_TESTS_CONSOLE_RUN_H
#define SETUPB_TESTS_CONSOLE_RUN_H

#include <string>
#include <vector>

#include <windows.h>

namespace harness {

struct ConsoleRun {
    DWORD exitCode;
    std::vector<std::string> output;  // its lines, without line ends
    std::vector<std::string> errors;  // empty when both went to one file, output
};

// program: a Windows path; arguments: as typed after its name.
ConsoleRun RunConsole(const std::string& program, const std::string& arguments, bool oneFile = false);

}  // namespace harness

#endif
