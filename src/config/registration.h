// Makes the driver known to the system: service key, Parameters, the
// kernel-driver service, and the sibling services switched off.
#ifndef SETUPB_CONFIG_REGISTRATION_H
#define SETUPB_CONFIG_REGISTRATION_H

#include <windows.h>

// 0 when every registry step succeeded, else the first failing status; 1072
// when they did but the service is marked for deletion (the siblings stay).
LONG RegisterDriver();

#endif
