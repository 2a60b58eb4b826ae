#include "text/bounded_text.h"

#include <string.h>

int CopyTextTo(char* destination, int capacity, const char* text)
{
    const size_t length = strlen(text);
    if (capacity <= 0 || length >= static_cast<size_t>(capacity)) {
        return 0;
    }
    memcpy(destination, text, length + 1);
    return static_cast<int>(length);
}

int AppendTextTo(char* destination, int capacity, const char* text)
{
    if (capacity <= 0) {
        return 0;
    }
    const size_t used = strnlen(destination, static_cast<size_t>(capacity));
    const size_t added = strlen(text);
    if (used + added >= static_cast<size_t>(capacity)) {
        return 0;
    }
    memcpy(destination + used, text, added + 1);
    return 1;
}
