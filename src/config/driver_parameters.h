// The six driver settings in memory and in the registry, the layout of the
// driver's service key, and the two choice lists of the settings dialog.
#ifndef SETUPB_CONFIG_DRIVER_PARAMETERS_H
#define SETUPB_CONFIG_DRIVER_PARAMETERS_H

#include <windows.h>

struct DriverParameters {
    DWORD DMAChannel;     // 5, 6 or 7; 0 means no DMA
    DWORD IRQChannel;     // 3, 5, 9, 10 or 11
    DWORD IOPortAddress;  // 0x000 to 0x3FF
    DWORD BufferSize;     // 2 to 64
    DWORD AudioMode;      // 0 stereo, 1 mono
    DWORD DoorLock;       // 0 unlocked, 1 locked
};

extern DriverParameters driverParameters;

// A row of a registry value table. Type and size are in/out: a query of the
// row stores the type and length of the value as it was found.
struct RegistryValueSpec {
    const char* valueName;
    DWORD valueType;
    void* data;
    DWORD dataSize;
};

constexpr int ServiceValueCount = 5;
constexpr int ParameterValueCount = 6;
extern RegistryValueSpec serviceValueTable[ServiceValueCount];
extern RegistryValueSpec parameterValueTable[ParameterValueCount];

// One entry of a settings-dialog drop-down list: its text and the value the
// driver parameter takes. The list index is the table index.
struct ChoiceEntry {
    const char* text;
    DWORD value;
};

constexpr int DmaChoiceCount = 4;
constexpr int IrqChoiceCount = 5;
extern const ChoiceEntry dmaChoiceList[DmaChoiceCount];
extern const ChoiceEntry irqChoiceList[IrqChoiceCount];

// Capacity of the port and buffer texts: 3 hexadecimal or 2 decimal digits.
constexpr int ParameterTextCapacity = 4;
extern const char defaultPortText[];
extern const char defaultBufferText[];

extern const char driverServiceKeyPath[];
extern const char parametersKeyName[];
extern const char driverServiceName[];
extern const char driverLoadOrderGroup[];
extern const char driverImagePath[];

// Index of value in a choice list, or fallback when the list lacks it.
int ChoiceIndexForValue(const ChoiceEntry* list, int count, DWORD value, int fallback);

// Reads the stored settings into driverParameters and turns them into the
// settings dialog's initial selections; defaults where nothing can be read.
// portText and bufferText hold ParameterTextCapacity characters.
void ReadDriverParameters(int* dmaIndex, int* irqIndex, char* portText, char* bufferText, int* audioMode,
                          int* doorLock);

#endif
