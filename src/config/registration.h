// Makes the driver known to the system: service key, Parameters, the
// kernel-driver service, and the sibling services switched off.
#ifndef SETUPB_CONFIG_REGISTRATION_H
#define SETUPB_CONFIG_REGISTRATION_H

#include <windows.h>

// The driver's service, whose key lies at driverServiceKeyPath.
extern const char driverServiceName[];  // "VlnCD"

// The sibling driver services that the registration disables, by key path
// under HKEY_LOCAL_MACHINE; the service's name is the path's last part.
constexpr int SiblingServiceCount = 5;
extern const char* const siblingServiceKeys[SiblingServiceCount];

constexpr DWORD ServiceDisabled = 4;  // SERVICE_DISABLED as a Start value

// 0 when every registry step succeeded, else the first failing status; 1072
// when they did but the service is marked for deletion (the siblings stay).
LONG RegisterDriver();

#endif
