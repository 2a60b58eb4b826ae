// The one shared text buffer. A routine that loads or reads a text into it
// uses the text at once: any later call may overwrite it, so nothing keeps a
// text there across a call to another routine.
#ifndef SETUPB_TEXT_TEXT_SCRATCH_H
#define SETUPB_TEXT_TEXT_SCRATCH_H

constexpr int TitleScratchCapacity = 220;    // titles, labels, names loaded one at a time
constexpr int MessageScratchCapacity = 260;  // message-box texts, edit field contents

struct ScratchTexts {
    char title[TitleScratchCapacity];
    char message[MessageScratchCapacity];
};

extern ScratchTexts textScratch;

#endif
