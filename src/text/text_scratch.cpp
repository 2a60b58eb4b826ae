#include "text/text_scratch.h"

ScratchTexts textScratch;
