// The tool's output: one line at a time, each written to its handle at once,
// so that steps and failures keep their order when both go to one file.
#ifndef VLNCDCTL_ADMIN_CONSOLE_OUTPUT_H
#define VLNCDCTL_ADMIN_CONSOLE_OUTPUT_H

#include <windows.h>

constexpr int OutputLineCapacity = 1024;  // two paths and their words fit

// A line built piece by piece; a piece that no longer fits is left out and
// the line ends in "..." instead.
class OutputLine {
public:
    OutputLine();
    explicit OutputLine(const char* text);
    OutputLine& Add(const char* text);
    OutputLine& AddNumber(DWORD value);     // decimal
    OutputLine& AddHex(DWORD value);        // upper-case hexadecimal, as the settings dialog shows the port
    void ToOutput() const;                  // standard output, with its line break
    void ToErrors() const;                  // standard error, with its line break

private:
    void WriteTo(DWORD standardHandle) const;

    char text[OutputLineCapacity];
    int cut;
};

// "vlncdctl: <what>: <status> <the system's text for it>" on standard error;
// for 5 it adds that the tool needs an administrator.
void ReportFailure(const char* what, DWORD status);

// "vlncdctl: <what>: <why>" on standard error: a refusal of the tool's own.
void ReportRefusal(const char* what, const char* why);

#endif
