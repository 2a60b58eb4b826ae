// One product file that setup installs: its name, where it comes from (the
// running program's directory, or a folder given), where it goes (the system
// directory or a subdirectory of it), and three facts found once, when the
// record is built.
#ifndef SETUPB_CONFIG_INSTALL_FILE_H
#define SETUPB_CONFIG_INSTALL_FILE_H

constexpr int PathCapacity = 260;  // the platform's path limit, terminator included

class InstallFile {
public:
    // subdirectory may be null: the target then lies in the system directory.
    // sourceDirectory, a full path without a trailing backslash, may be null:
    // the source then lies beside the running program.
    InstallFile(const char* fileName, const char* subdirectory, const char* sourceDirectory = nullptr);

    // 1 when the source folder is the system directory itself.
    int RunningFromSystemDir() const { return runningFromSystemDir; }
    int SourceAvailable() const { return sourceAvailable; }
    int TargetExists() const { return targetExists; }
    const char* SourcePath() const { return sourcePath; }
    const char* TargetPath() const { return targetPath; }

    // Copy-outs: the length copied, or 0 with destination untouched when the
    // text and its terminator do not fit capacity.
    int CopyNameTo(char* destination, int capacity) const;
    int CopyTargetDirTo(char* destination, int capacity) const;

    // Copies the source over the target; 1 on success, 0 on failure.
    int CopyToTarget() const;

    // Lower-cases the ASCII capitals A to Z only, in place, within the first
    // PathCapacity characters; bytes 128 to 255 keep their case.
    static void LowerAscii(char* text);

private:
    int ResolveSource(const char* fileName, const char* sourceDirectory);
    int ResolveTarget(const char* subdirectory);

    int runningFromSystemDir;
    char name[PathCapacity];
    int sourceAvailable;
    char sourcePath[PathCapacity];
    int targetExists;
    char targetPath[PathCapacity];
};

// The product files' names, and the subdirectory of the system directory that
// the driver goes into.
extern const char setupProgramFileName[];  // "setupb.exe"
extern const char driverFileName[];        // "vlncdrvr.sys"
extern const char driverSubdirectory[];    // "drivers"

// The two product files of setupb.exe, built at start before the language:
// flow/program_globals.cpp defines them together in that order.
extern InstallFile setupProgramRecord;  // setupb.exe into the system directory
extern InstallFile driverRecord;        // vlncdrvr.sys into its drivers subdirectory

#endif
