#include "config/driver_parameters.h"

#include <stdlib.h>
#include <string.h>

#include <iterator>

#include "text/bounded_text.h"

DriverParameters driverSettings;

const char driverServiceKeyPath[] = "System\\CurrentControlSet\\Services\\VlnCD";
const char parametersKeyName[] = "Parameters";

namespace {

// A new value goes last: reading stops at the first value it cannot read, and
// an earlier installation has none of the new one.
RegistryValueSpec parameterValueTable[] = {
    {"DMAChannel", REG_DWORD, &driverSettings.DMAChannel, sizeof(DWORD)},
    {"IRQChannel", REG_DWORD, &driverSettings.IRQChannel, sizeof(DWORD)},
    {"IOPortAddress", REG_DWORD, &driverSettings.IOPortAddress, sizeof(DWORD)},
    {"BufferSize", REG_DWORD, &driverSettings.BufferSize, sizeof(DWORD)},
    {"AudioMode", REG_DWORD, &driverSettings.AudioMode, sizeof(DWORD)},
    {"DoorLock", REG_DWORD, &driverSettings.DoorLock, sizeof(DWORD)},
};

static_assert(std::size(parameterValueTable) == ParameterValueCount, "a row for each value of Parameters");

const char defaultPortText[] = "300";
const char defaultBufferText[] = "20";
constexpr int DefaultDmaIndex = 0;  // "5"
constexpr int DefaultIrqIndex = 3;  // "10"
constexpr DWORD HighestPort = 0x3FF;
constexpr DWORD SmallestBuffer = 2;
constexpr DWORD LargestBuffer = 64;

int IsDecimalDigit(signed char character)
{
    return character >= '0' && character <= '9';
}

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

// Index of value in a choice list, or fallback when the list lacks it.
template <size_t Count>
int ChoiceIndexForValue(const ChoiceEntry (&list)[Count], DWORD value, int fallback)
{
    for (size_t index = 0; index < Count; ++index) {
        if (list[index].value == value) {
            return static_cast<int>(index);
        }
    }
    return fallback;
}

void ConvertToOutputs(int* dmaIndex, int* irqIndex, char* portText, char* bufferText, int* audioMode,
                      int* doorLock)
{
    *dmaIndex = ChoiceIndexForValue(dmaChoiceList, driverSettings.DMAChannel, DefaultDmaIndex);
    *irqIndex = ChoiceIndexForValue(irqChoiceList, driverSettings.IRQChannel, DefaultIrqIndex);

    const DWORD port = driverSettings.IOPortAddress;
    if (port <= HighestPort) {
        _ultoa(port, portText, 16);  // at most "3ff": fits the 4 characters
    } else {
        CopyTextTo(portText, ParameterTextCapacity, defaultPortText);
    }

    const DWORD buffer = driverSettings.BufferSize;
    if (buffer >= SmallestBuffer && buffer <= LargestBuffer) {
        _ultoa(buffer, bufferText, 10);  // at most "64"
    } else {
        CopyTextTo(bufferText, ParameterTextCapacity, defaultBufferText);
    }

    *audioMode = driverSettings.AudioMode <= 1 ? static_cast<int>(driverSettings.AudioMode) : 0;
    *doorLock = driverSettings.DoorLock <= 1 ? static_cast<int>(driverSettings.DoorLock) : 0;
}

}  // namespace

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
    for (size_t row = 0; row < std::size(parameterValueTable); ++row) {
        if (QueryRow(parametersKey, &parameterValueTable[row]) != ERROR_SUCCESS) {
            break;
        }
    }

    ConvertToOutputs(dmaIndex, irqIndex, portText, bufferText, audioMode, doorLock);

    RegCloseKey(parametersKey);
    RegCloseKey(serviceKey);
}

const char* ParameterValueName(int row)
{
    return row >= 0 && row < ParameterValueCount ? parameterValueTable[row].valueName : nullptr;
}

LONG WriteDriverParameters(HKEY parametersKey)
{
    // The driver reads REG_DWORDs: whatever type or length a malformed
    // stored value left in a row, each is written back as its 4-byte field.
    for (size_t row = 0; row < std::size(parameterValueTable); ++row) {
        const LONG status = RegSetValueExA(parametersKey, parameterValueTable[row].valueName, 0, REG_DWORD,
                                           static_cast<const BYTE*>(parameterValueTable[row].data), sizeof(DWORD));
        if (status != ERROR_SUCCESS) {
            return status;
        }
    }
    return ERROR_SUCCESS;
}

int PortCharacterAccepted(signed char character)
{
    return IsDecimalDigit(character) || (character >= 'a' && character <= 'f') ||
           (character >= 'A' && character <= 'F');
}

int BufferCharacterAccepted(signed char character)
{
    return IsDecimalDigit(character);
}

// While typing, the characters are compared as signed characters, as the
// product always did: a pasted character that sorts above "3" (or "6"), a
// letter too, counts as too large.
int PortTextOutOfRange(const char* text)
{
    return strlen(text) == PortTextLimit && static_cast<signed char>(text[0]) > '3';
}

int BufferTextOutOfRange(const char* text)
{
    if (strlen(text) != BufferTextLimit) {
        return 0;
    }
    const signed char first = static_cast<signed char>(text[0]);
    const signed char second = static_cast<signed char>(text[1]);
    return first > '6' || (first == '6' && second > '4');
}

int PortTextAccepted(const char* text)
{
    const size_t length = strlen(text);
    if (length < 1 || length > PortTextLimit || PortTextOutOfRange(text)) {
        return 0;
    }
    // Pasted text passes no key filter: every character must be a digit the
    // conversion understands, or the driver would get a wrong port.
    for (size_t index = 0; index < length; ++index) {
        const signed char character = static_cast<signed char>(text[index]);
        if (!IsDecimalDigit(character) && !(character >= 'A' && character <= 'F')) {
            return 0;
        }
    }
    return 1;
}

int BufferTextAccepted(const char* text, DWORD* value)
{
    *value = static_cast<DWORD>(atoi(text));
    const size_t length = strlen(text);
    if (length < 1 || length > BufferTextLimit) {
        return 0;
    }
    for (size_t index = 0; index < length; ++index) {
        if (!IsDecimalDigit(static_cast<signed char>(text[index]))) {
            return 0;
        }
    }
    return *value >= SmallestBuffer && *value <= LargestBuffer;
}

DWORD PortTextValue(const char* text)
{
    DWORD value = 0;
    for (size_t index = 0; text[index] != '\0'; ++index) {
        const signed char character = static_cast<signed char>(text[index]);
        if (character >= 'A' && character <= 'Z') {
            value += static_cast<DWORD>(character - ('A' - 10));
        } else if (IsDecimalDigit(character)) {
            value += static_cast<DWORD>(character - '0');
        }
        value <<= 4;
    }
    return value >> 4;
}
