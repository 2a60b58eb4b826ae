#include "admin/stored_number.h"

StoredNumber ReadStoredNumber(const char* keyPath, const char* valueName, DWORD* value)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return NoSuchKey;
    }
    DWORD type = 0;
    DWORD length = sizeof *value;
    const LONG status = RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(value), &length);
    RegCloseKey(key);
    if (status == ERROR_FILE_NOT_FOUND) {
        return NumberNotStored;
    }
    // ERROR_MORE_DATA, a longer value, is no number either.
    if (status != ERROR_SUCCESS || type != REG_DWORD || length != sizeof *value) {
        return NotANumber;
    }
    return NumberRead;
}

int KeyPresent(const char* keyPath)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return 0;
    }
    RegCloseKey(key);
    return 1;
}
