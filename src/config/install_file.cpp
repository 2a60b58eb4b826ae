#include "config/install_file.h"

#include <string.h>
#include <windows.h>

#include "text/bounded_text.h"

namespace {

// A path the platform reports in full, or 0: a return of 0 is a failure and a
// return of the buffer size or more means the path did not fit.
int GetSystemDirectoryInto(char* buffer)
{
    const UINT length = GetSystemDirectoryA(buffer, PathCapacity);
    return length != 0 && length < static_cast<UINT>(PathCapacity);
}

int GetProgramPathInto(char* buffer)
{
    const DWORD length = GetModuleFileNameA(nullptr, buffer, PathCapacity);
    // A truncated path is neither complete nor, on every platform, terminated.
    return length != 0 && length < static_cast<DWORD>(PathCapacity);
}

int EntryExists(const char* path)
{
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE) {
        return 0;
    }
    FindClose(search);
    return 1;
}

}  // namespace

const char setupProgramFileName[] = "setupb.exe";
const char driverFileName[] = "vlncdrvr.sys";
const char driverSubdirectory[] = "drivers";

InstallFile::InstallFile(const char* fileName, const char* subdirectory, const char* sourceDirectory)
    : runningFromSystemDir(0), name(), sourceAvailable(0), sourcePath(), targetExists(0), targetPath()
{
    if (!ResolveSource(fileName, sourceDirectory)) {
        sourceAvailable = 0;
        return;
    }
    if (!ResolveTarget(subdirectory)) {
        sourceAvailable = 0;
    }
}

int InstallFile::ResolveSource(const char* fileName, const char* sourceDirectory)
{
    // The name is stored first, so that it is known even when the rest fails.
    // An empty name is stored too: only a name that does not fit is refused.
    if (strlen(fileName) >= static_cast<size_t>(PathCapacity)) {
        return 0;
    }
    CopyTextTo(name, PathCapacity, fileName);
    char systemDir[PathCapacity];
    if (!GetSystemDirectoryInto(systemDir)) {
        return 0;
    }
    char programDir[PathCapacity];
    if (!GetProgramPathInto(programDir)) {
        return 0;
    }
    char programPath[PathCapacity];
    memcpy(programPath, programDir, sizeof programPath);

    char* lastBackslash = strrchr(programDir, '\\');
    if (lastBackslash == nullptr) {
        return 0;
    }
    *lastBackslash = '\0';
    // The folder the files come from: the program's own, or the one given.
    if (sourceDirectory != nullptr && !CopyTextTo(programDir, PathCapacity, sourceDirectory)) {
        return 0;
    }

    LowerAscii(programDir);
    LowerAscii(systemDir);
    if (strcmp(programDir, systemDir) == 0) {
        runningFromSystemDir = 1;
    }

    char source[PathCapacity];
    source[0] = '\0';
    if (!AppendTextTo(source, PathCapacity, programDir) || !AppendTextTo(source, PathCapacity, "\\") ||
        !AppendTextTo(source, PathCapacity, name)) {
        return 0;
    }
    memcpy(sourcePath, source, sizeof sourcePath);

    // The source is the running program itself when the two paths name the
    // same file: then no search is needed (the diskette may be slow).
    LowerAscii(source);
    LowerAscii(programPath);
    if (strcmp(source, programPath) == 0 || EntryExists(source)) {
        sourceAvailable = 1;
    }
    return 1;
}

int InstallFile::ResolveTarget(const char* subdirectory)
{
    char systemDir[PathCapacity];
    if (!GetSystemDirectoryInto(systemDir)) {
        return 0;
    }
    char target[PathCapacity];
    target[0] = '\0';
    if (!AppendTextTo(target, PathCapacity, systemDir) || !AppendTextTo(target, PathCapacity, "\\")) {
        return 0;
    }
    if (subdirectory != nullptr &&
        (!AppendTextTo(target, PathCapacity, subdirectory) || !AppendTextTo(target, PathCapacity, "\\"))) {
        return 0;
    }
    if (!AppendTextTo(target, PathCapacity, name)) {
        return 0;
    }
    memcpy(targetPath, target, sizeof targetPath);
    targetExists = EntryExists(target);
    return 1;
}

void InstallFile::LowerAscii(char* text)
{
    for (int index = 0; index < PathCapacity && text[index] != '\0'; ++index) {
        const signed char character = static_cast<signed char>(text[index]);
        if (character >= 'A' && character <= 'Z') {
            text[index] = static_cast<char>(character + ('a' - 'A'));
        }
    }
}

int InstallFile::CopyNameTo(char* destination, int capacity) const
{
    return CopyTextTo(destination, capacity, name);
}

int InstallFile::CopyTargetDirTo(char* destination, int capacity) const
{
    char directory[PathCapacity];
    memcpy(directory, targetPath, sizeof directory);
    char* lastBackslash = strrchr(directory, '\\');
    if (lastBackslash == nullptr) {
        return 0;  // never resolved: there is no directory to give
    }
    *lastBackslash = '\0';
    return CopyTextTo(destination, capacity, directory);
}

int InstallFile::CopyToTarget() const
{
    char source[PathCapacity];
    char target[PathCapacity];
    memcpy(source, sourcePath, sizeof source);
    memcpy(target, targetPath, sizeof target);
    return CopyFileA(source, target, FALSE) ? 1 : 0;
}
