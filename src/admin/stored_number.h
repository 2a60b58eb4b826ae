// A 4-byte number stored in the registry, read as status shows it and remove
// lists the disabled siblings: what is there, or why no number is.
#ifndef VLNCDCTL_ADMIN_STORED_NUMBER_H
#define VLNCDCTL_ADMIN_STORED_NUMBER_H

#include <windows.h>

enum StoredNumber {
    NumberRead,      // *value holds it
    NoSuchKey,       // the key cannot be opened
    NumberNotStored, // the key has no such value
    NotANumber,      // another type, or another length than 4 bytes
};

// The value valueName of the key at keyPath under HKEY_LOCAL_MACHINE.
StoredNumber ReadStoredNumber(const char* keyPath, const char* valueName, DWORD* value);

// 1 when the key at keyPath under HKEY_LOCAL_MACHINE can be opened for reading.
int KeyPresent(const char* keyPath);

#endif
