// The driver settings: in memory, in the registry's Parameters key, and
// as the settings dialog shows them (list entries and texts), both ways.
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

// The settings of this run: zero at start, read from the registry when the
// settings dialog opens, set by its Setup, written by the registration.
extern DriverParameters driverSettings;

// A row of a registry value table. Type and size are in/out: a query of the
// row stores the type and length of the value as it was found.
struct RegistryValueSpec {
    const char* valueName;
    DWORD valueType;
    void* data;
    DWORD dataSize;
};

// One entry of a settings-dialog drop-down list: its text and the value the
// driver parameter takes. The list index is the table index.
struct ChoiceEntry {
    const char* text;
    DWORD value;
};

inline constexpr ChoiceEntry dmaChoiceList[] = {{"5", 5}, {"6", 6}, {"7", 7}, {"Non DMA", 0}};
inline constexpr ChoiceEntry irqChoiceList[] = {{"3", 3}, {"5", 5}, {"9", 9}, {"10", 10}, {"11", 11}};

// The port field holds up to 3 hexadecimal digits, the buffer field up to 2
// decimal ones; either text fits ParameterTextCapacity with its terminator.
constexpr int PortTextLimit = 3;
constexpr int BufferTextLimit = 2;
constexpr int ParameterTextCapacity = 4;

extern const char driverServiceKeyPath[];  // under HKEY_LOCAL_MACHINE
extern const char parametersKeyName[];     // the service key's subkey

// The values of Parameters, by row in the order they are read and written.
constexpr int ParameterValueCount = 6;
const char* ParameterValueName(int row);  // null for a row beyond the last

// Reads the stored settings into driverSettings and turns them into the
// settings dialog's initial selections; defaults where nothing can be read.
// portText and bufferText hold ParameterTextCapacity characters.
void ReadDriverParameters(int* dmaIndex, int* irqIndex, char* portText, char* bufferText, int* audioMode,
                          int* doorLock);

// Writes driverSettings into the opened Parameters key as 4-byte
// REG_DWORDs; 0, or the status of the first write that fails.
LONG WriteDriverParameters(HKEY parametersKey);

// The port and buffer fields. The characters keys may enter: hexadecimal,
// decimal digits. While typing: 1 for a text of full length that is too large.
// At Setup: 1 when the text may be stored.
int PortCharacterAccepted(signed char character);
int BufferCharacterAccepted(signed char character);
int PortTextOutOfRange(const char* text);
int BufferTextOutOfRange(const char* text);
int PortTextAccepted(const char* text);
int BufferTextAccepted(const char* text, DWORD* value);  // value: the number, also when refused
DWORD PortTextValue(const char* text);                   // one hexadecimal digit per character

#endif
