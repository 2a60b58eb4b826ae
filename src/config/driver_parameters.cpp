#include "config/driver_parameters.h"

#include <stdlib.h>

#include "text/bounded_text.h"

DriverParameters driverParameters;

const char driverServiceKeyPath[] = "System\\CurrentControlSet\\Services\\VlnCD";
const char parametersKeyName[] = "Parameters";
const char driverServiceName[] = "VlnCD";
const char driverLoadOrderGroup[] = "SCSI CDROM Class";
const char driverImagePath[] = "System32\\Drivers\\VLNCDRVR.SYS";

namespace {
DWORD serviceTypeValue = 1;     // kernel-mode driver
DWORD serviceStartValue = 0;    // boot start
DWORD serviceErrorValue = 1;    // normal error control
}  // namespace

RegistryValueSpec serviceValueTable[ServiceValueCount] = {
    {"Type", REG_DWORD, &serviceTypeValue, sizeof(DWORD)},
    {"Start", REG_DWORD, &serviceStartValue, sizeof(DWORD)},
    {"ErrorControl", REG_DWORD, &serviceErrorValue, sizeof(DWORD)},
    {"Group", REG_SZ, const_cast<char*>(driverLoadOrderGroup), sizeof driverLoadOrderGroup},
    {"ImagePath", REG_EXPAND_SZ, const_cast<char*>(driverImagePath), sizeof driverImagePath},
};

RegistryValueSpec parameterValueTable[ParameterValueCount] = {
    {"DMAChannel", REG_DWORD, &driverParameters.DMAChannel, sizeof(DWORD)},
    {"IRQChannel", REG_DWORD, &driverParameters.IRQChannel, sizeof(DWORD)},
    {"IOPortAddress", REG_DWORD, &driverParameters.IOPortAddress, sizeof(DWORD)},
    {"BufferSize", REG_DWORD, &driverParameters.BufferSize, sizeof(DWORD)},
    {"AudioMode", REG_DWORD, &driverParameters.AudioMode, sizeof(DWORD)},
    {"DoorLock", REG_DWORD, &driverParameters.DoorLock, sizeof(DWORD)},
};

const ChoiceEntry dmaChoiceList[DmaChoiceCount] = {
    {"5", 5},
    {"6", 6},
    {"7", 7},
    {"Non DMA", 0},
};

const ChoiceEntry irqChoiceList[IrqChoiceCount] = {
    {"3", 3},
    {"5", 5},
    {"9", 9},
    {"10", 10},
    {"11", 11},
};

const char defaultPortText[] = "300";
const char defaultBufferText[] = "20";

namespace {

constexpr int DefaultDmaIndex = 0;  // "5"
constexpr int DefaultIrqIndex = 3;  // "10"
constexpr DWORD HighestPort = 0x3FF;
constexpr DWORD SmallestBuffer = 2;
constexpr DWORD LargestBuffer = 64;

// Queries one row into its data. The buffer is always the row's 4-byte field;
// the type and length found are stored back into the row.
LONG QueryRow(HKEY key, RegistryValueSpec* row)
{
    DWORD type = row->valueType;
    DWORD length = sizeof(DWORD);
    const LONG status =
        RegQueryValueExA(key, row->valueName, nullptr, &type, static_cast<BYTE*>(row->data), &length);
    row->valueType = type;
    row->dataSize = length;
    return status;
}

void ConvertToOutputs(int* dmaIndex, int* irqIndex, char* portText, char* bufferText, int* audioMode,
                      int* doorLock)
{
    *dmaIndex = ChoiceIndexForValue(dmaChoiceList, DmaChoiceCount, driverParameters.DMAChannel, DefaultDmaIndex);
    *irqIndex = ChoiceIndexForValue(irqChoiceList, IrqChoiceCount, driverParameters.IRQChannel, DefaultIrqIndex);

    const DWORD port = driverParameters.IOPortAddress;
    if (port <= HighestPort) {
        _ultoa(port, portText, 16);  // at most "3ff": fits the 4 characters
    } else {
        CopyTextTo(portText, ParameterTextCapacity, defaultPortText);
    }

    const DWORD buffer = driverParameters.BufferSize;
    if (buffer >= SmallestBuffer && buffer <= LargestBuffer) {
        _ultoa(buffer, bufferText, 10);  // at most "64"
    } else {
        CopyTextTo(bufferText, ParameterTextCapacity, defaultBufferText);
    }

    *audioMode = driverParameters.AudioMode <= 1 ? static_cast<int>(driverParameters.AudioMode) : 0;
    *doorLock = driverParameters.DoorLock <= 1 ? static_cast<int>(driverParameters.DoorLock) : 0;
}

}  // namespace

int ChoiceIndexForValue(const ChoiceEntry* list, int count, DWORD value, int fallback)
{
    for (int index = 0; index < count; ++index) {
        if (list[index].value == value) {
            return index;
        }
    }
    return fallback;
}

void ReadDriverParameters(int* dmaIndex, int* irqIndex, char* portText, char* bufferText, int* audioMode,
                          int* doorLock)
{
    *dmaIndex = DefaultDmaIndex;
    *irqIndex = DefaultIrqIndex;
    CopyTextTo(portText, ParameterTextCapacity, defaultPortText);
    CopyTextTo(bufferText, ParameterTextCapacity, defaultBufferText);
    *audioMode = 0;
    *doorLock = 0;

    // Full access also for reading: a user who may not change the key sees
    // the defaults, as the settings would not be stored for him anyway.
    HKEY serviceKey = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, driverServiceKeyPath, 0, KEY_ALL_ACCESS, &serviceKey) != ERROR_SUCCESS) {
        return;
    }
    HKEY parametersKey = nullptr;
    if (RegOpenKeyExA(serviceKey, parametersKeyName, 0, KEY_ALL_ACCESS, &parametersKey) != ERROR_SUCCESS) {
        RegCloseKey(serviceKey);
        return;
    }

    // Reading stops at the first value that cannot be read; the fields of it
    // and of the rows after it keep their zero.
    for (int row = 0; row < ParameterValueCount; ++row) {
        if (QueryRow(parametersKey, &parameterValueTable[row]) != ERROR_SUCCESS) {
            break;
        }
    }

    ConvertToOutputs(dmaIndex, irqIndex, portText, bufferText, audioMode, doorLock);

    RegCloseKey(parametersKey);
    RegCloseKey(serviceKey);
}
