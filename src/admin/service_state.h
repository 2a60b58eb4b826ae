// The driver's service as the service manager reports it.
#ifndef VLNCDCTL_ADMIN_SERVICE_STATE_H
#define VLNCDCTL_ADMIN_SERVICE_STATE_H

#include <windows.h>

struct ServiceState {
    int known;           // the service manager has the service
    int marked;          // it is marked for deletion: it goes when its last handle closes
    DWORD startType;     // SERVICE_BOOT_START to SERVICE_DISABLED
    DWORD currentState;  // SERVICE_STOPPED to SERVICE_PAUSED
    DWORD status;        // when not known: why (1060: no such service)
};

ServiceState QueryDriverService();

// "boot start", "stopped", ...: the words for a start type and a state.
const char* StartTypeName(DWORD startType);
const char* StateName(DWORD currentState);

#endif
