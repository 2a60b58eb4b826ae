#include "flow/command_line.h"

namespace {

// A blank or a control character, but not the terminator.
bool IsBlank(char character)
{
    const unsigned char byte = static_cast<unsigned char>(character);
    return byte != '\0' && byte <= ' ';
}

}  // namespace

const char* CommandTailOf(const char* commandLine)
{
    const char* position = commandLine;
    if (*position == '"') {
        // A lone opening quote takes the whole line as the name.
        for (++position; *position != '\0' && *position != '"'; ++position) {
        }
        if (*position == '"') {
            ++position;
        }
    } else {
        for (; *position != '\0' && !IsBlank(*position); ++position) {
        }
    }
    for (; IsBlank(*position); ++position) {
    }
    return position;
}
