// Text copies into fixed buffers that never write past the stated capacity.
#ifndef SETUPB_TEXT_BOUNDED_TEXT_H
#define SETUPB_TEXT_BOUNDED_TEXT_H

// Copies text with its terminator when it fits capacity (terminator included)
// and returns its length; returns 0 and leaves destination untouched otherwise.
int CopyTextTo(char* destination, int capacity, const char* text);

// Appends text to the terminated text in destination when the whole result
// fits capacity; returns 1, or 0 with destination untouched.
int AppendTextTo(char* destination, int capacity, const char* text);

#endif
