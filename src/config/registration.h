// Makes the driver known to the system: service key, Parameters, the
// kernel-driver service, and the sibling services switched off.
#ifndef SETUPB_CONFIG_REGISTRATION_H
#define SETUPB_CONFIG_REGISTRATION_H

#include <windows.h>

#include "config/driver_parameters.h"

constexpr int SiblingServiceCount = 5;
extern const char* const siblingServiceKeys[SiblingServiceCount];
extern RegistryValueSpec siblingStartSpec;

// 0 when every registry step succeeded, else the first failing status.
LONG RegisterDriver();

// Creates the VlnCD service; any failure (it may exist already) is ignored.
void CreateDriverService();

// Sets Start to 4 (disabled) on each installed sibling that would start.
LONG DisableSiblingServices();

#endif
