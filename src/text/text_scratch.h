// The one shared text buffer. Any routine may overwrite it; nothing keeps a
// text in it across a call to another routine.
#ifndef SETUPB_TEXT_TEXT_SCRATCH_H
#define SETUPB_TEXT_TEXT_SCRATCH_H

constexpr int TitleScratchCapacity = 220;    // titles, labels, names loaded one at a time
constexpr int MessageScratchCapacity = 260;  // message-box texts, edit field contents

struct TextScratch {
    char title[TitleScratchCapacity];
    char message[MessageScratchCapacity];
};

extern TextScratch textScratch;

#endif
