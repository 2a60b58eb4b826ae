#include "admin/console_output.h"

#include <stdlib.h>
#include <string.h>

#include "text/bounded_text.h"

namespace {

const char toolPrefix[] = "vlncdctl: ";
const char lineBreak[] = "\r\n";
const char cutMark[] = "...";

constexpr int SystemTextCapacity = 512;
constexpr int NumberTextCapacity = 12;  // "4294967295" and its terminator

// The system's text for a status, in English where the system has it, else
// in its own language; without the line break it ends with. Empty when the
// system has no text for the status.
void LoadSystemText(DWORD status, char* text)
{
    text[0] = '\0';
    const DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    DWORD length = FormatMessageA(flags, nullptr, status, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), text,
                                  SystemTextCapacity, nullptr);
    if (length == 0) {
        length = FormatMessageA(flags, nullptr, status, 0, text, SystemTextCapacity, nullptr);
    }
    if (length == 0 || length >= static_cast<DWORD>(SystemTextCapacity)) {
        text[0] = '\0';
        return;
    }
    while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' || text[length - 1] == ' ')) {
        --length;
    }
    text[length] = '\0';
}

}  // namespace

OutputLine::OutputLine() : text(), cut(0)
{
}

OutputLine::OutputLine(const char* first) : text(), cut(0)
{
    Add(first);
}

OutputLine& OutputLine::Add(const char* piece)
{
    // Room is kept for the cut mark and the line break.
    const int room = OutputLineCapacity - static_cast<int>(sizeof cutMark + sizeof lineBreak);
    if (cut || !AppendTextTo(text, room, piece)) {
        cut = 1;
    }
    return *this;
}

OutputLine& OutputLine::AddNumber(DWORD value)
{
    char number[NumberTextCapacity];
    _ultoa(value, number, 10);
    return Add(number);
}

OutputLine& OutputLine::AddHex(DWORD value)
{
    char number[NumberTextCapacity];
    _ultoa(value, number, 16);
    _strupr(number);
    return Add(number);
}

void OutputLine::WriteTo(DWORD standardHandle) const
{
    char whole[OutputLineCapacity];
    CopyTextTo(whole, OutputLineCapacity, text);
    if (cut) {
        AppendTextTo(whole, OutputLineCapacity, cutMark);
    }
    AppendTextTo(whole, OutputLineCapacity, lineBreak);
    // Written unbuffered, each line at once. A line that cannot be written
    // (output closed by the caller) changes nothing the tool does.
    DWORD written = 0;
    WriteFile(GetStdHandle(standardHandle), whole, static_cast<DWORD>(strlen(whole)), &written, nullptr);
}

void OutputLine::ToOutput() const
{
    WriteTo(STD_OUTPUT_HANDLE);
}

void OutputLine::ToErrors() const
{
    WriteTo(STD_ERROR_HANDLE);
}

void ReportFailure(const char* what, DWORD status)
{
    char systemText[SystemTextCapacity];
    LoadSystemText(status, systemText);
    OutputLine line(toolPrefix);
    line.Add(what).Add(": ").AddNumber(status);
    if (systemText[0] != '\0') {
        line.Add(" ").Add(systemText);
    }
    if (status == ERROR_ACCESS_DENIED) {
        line.Add(" Run vlncdctl as an administrator.");
    }
    line.ToErrors();
}

void ReportRefusal(const char* what, const char* why)
{
    OutputLine(toolPrefix).Add(what).Add(": ").Add(why).ToErrors();
}
