#include "admin/pending_deletion.h"

#include "config/install_file.h"

namespace {

const char sessionManagerKeyPath[] = "System\\CurrentControlSet\\Control\\Session Manager";
// The list holds every program's entries: it is read and written as the
// system keeps it, in UTF-16, so that no other entry loses a character.
const WCHAR pendingListValueName[] = L"PendingFileRenameOperations";
const WCHAR ntPathPrefix[] = L"\\??\\";  // the list names files by their NT paths

// Source and target of each entry, one terminated string each, the list ending
// in an empty string. A list that does not fit is not rewritten.
constexpr DWORD PendingListCapacity = 32768;  // characters
WCHAR pendingList[PendingListCapacity];
WCHAR keptList[PendingListCapacity];

// Reads the list into pendingList, always terminated twice; its length in
// characters, without the final terminator. 0 with no list.
LONG ReadPendingList(HKEY key, DWORD* length)
{
    DWORD type = 0;
    DWORD bytes = sizeof pendingList - 2 * sizeof(WCHAR);
    *length = 0;
    const LONG status =
        RegQueryValueExW(key, pendingListValueName, nullptr, &type, reinterpret_cast<BYTE*>(pendingList), &bytes);
    if (status == ERROR_FILE_NOT_FOUND) {
        return ERROR_SUCCESS;
    }
    if (status != ERROR_SUCCESS) {
        return status;
    }
    *length = bytes / sizeof(WCHAR);
    pendingList[*length] = L'\0';
    pendingList[*length + 1] = L'\0';
    return ERROR_SUCCESS;
}

int WideLength(const WCHAR* text)
{
    int length = 0;
    while (text[length] != L'\0') {
        ++length;
    }
    return length;
}

// 1 when an entry's source names path, with or without its NT prefix.
int EntryNames(const WCHAR* entrySource, const char* path)
{
    WCHAR widePath[PathCapacity];
    if (MultiByteToWideChar(CP_ACP, 0, path, -1, widePath, PathCapacity) == 0) {
        return 0;
    }
    const int prefixLength = WideLength(ntPathPrefix);
    if (CompareStringW(LOCALE_SYSTEM_DEFAULT, 0, entrySource, prefixLength, ntPathPrefix, prefixLength) ==
        CSTR_EQUAL) {
        entrySource += prefixLength;
    }
    return lstrcmpiW(entrySource, widePath) == 0;
}

// 1 when the entry at source deletes (an empty target) one of the paths.
int DeletesOneOf(const WCHAR* source, const WCHAR* target, const char* const* paths, int count)
{
    if (target[0] != L'\0') {
        return 0;
    }
    for (int index = 0; index < count; ++index) {
        if (EntryNames(source, paths[index])) {
            return 1;
        }
    }
    return 0;
}

LONG OpenSessionManager(REGSAM access, HKEY* key)
{
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, sessionManagerKeyPath, 0, access, key);
}

}  // namespace

int DeletionPendingAtRestart(const char* path)
{
    HKEY key = nullptr;
    if (OpenSessionManager(KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return 0;
    }
    DWORD length = 0;
    const LONG status = ReadPendingList(key, &length);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) {
        return 0;
    }
    const char* const paths[] = {path};
    for (DWORD at = 0; at < length && pendingList[at] != L'\0';) {
        const WCHAR* source = pendingList + at;
        const WCHAR* target = source + WideLength(source) + 1;
        if (DeletesOneOf(source, target, paths, 1)) {
            return 1;
        }
        at = static_cast<DWORD>(target + WideLength(target) + 1 - pendingList);
    }
    return 0;
}

LONG CancelDeletionsAtRestart(const char* const* paths, int count, int* cancelled)
{
    *cancelled = 0;
    HKEY key = nullptr;
    LONG status = OpenSessionManager(KEY_QUERY_VALUE | KEY_SET_VALUE, &key);
    if (status == ERROR_FILE_NOT_FOUND) {
        return ERROR_SUCCESS;  // no key, no list
    }
    if (status != ERROR_SUCCESS) {
        return status;
    }
    DWORD length = 0;
    status = ReadPendingList(key, &length);
    DWORD kept = 0;
    int dropped = 0;
    for (DWORD at = 0; status == ERROR_SUCCESS && at < length && pendingList[at] != L'\0';) {
        const WCHAR* source = pendingList + at;
        const WCHAR* target = source + WideLength(source) + 1;
        DWORD next = static_cast<DWORD>(target + WideLength(target) + 1 - pendingList);
        if (next > length) {
            next = length;  // a list cut short ends with its last string
        }
        if (DeletesOneOf(source, target, paths, count)) {
            dropped = 1;
        } else {
            for (DWORD copied = at; copied < next; ++copied) {
                keptList[kept] = pendingList[copied];
                ++kept;
            }
        }
        at = next;
    }
    if (status == ERROR_SUCCESS && dropped) {
        if (kept == 0) {
            status = RegDeleteValueW(key, pendingListValueName);
        } else {
            keptList[kept] = L'\0';  // the list's end
            ++kept;
            status = RegSetValueExW(key, pendingListValueName, 0, REG_MULTI_SZ,
                                    reinterpret_cast<const BYTE*>(keptList), kept * sizeof(WCHAR));
        }
    }
    RegCloseKey(key);
    *cancelled = status == ERROR_SUCCESS && dropped;
    return status;
}

LONG DeleteAtRestart(const char* path)
{
    return MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) ? ERROR_SUCCESS
                                                                   : static_cast<LONG>(GetLastError());
}
