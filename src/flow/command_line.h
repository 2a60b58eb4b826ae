// The argument a caller passes, cut from the whole command line by the
// program's own rule rather than the runtime's.
#ifndef SETUPB_FLOW_COMMAND_LINE_H
#define SETUPB_FLOW_COMMAND_LINE_H

// The command tail: the program name is skipped (a quoted one up to and
// including its closing quote, an unquoted one up to the first blank or
// control character), then every blank and control character after it.
// Bytes are compared as unsigned, so an accented letter in a name (0x80 and
// above) is never taken for a blank. Points into commandLine.
const char* CommandTailOf(const char* commandLine);

#endif
