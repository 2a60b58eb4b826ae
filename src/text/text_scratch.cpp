#include "text/text_scratch.h"

TextScratch textScratch;
