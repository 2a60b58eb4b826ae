// Whether this is the 32-bit build running on 64-bit Windows.
#ifndef SETUPB_CONFIG_WOW64_H
#define SETUPB_CONFIG_WOW64_H

#include <windows.h>

// 1 for the i686 program under WOW64, where the system directory it sees is
// redirected to SysWOW64; 0 elsewhere, and always for the x86_64 program.
int RunningUnderWow64();

#endif
