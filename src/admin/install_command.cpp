// install and set: what Setup does from the diskette and from the system
// directory, with the settings from the command line instead of the dialog.
#include <string.h>

#include <iterator>

#include "admin/arguments.h"
#include "admin/commands.h"
#include "admin/console_output.h"
#include "admin/pending_deletion.h"
#include "config/driver_parameters.h"
#include "config/install_file.h"
#include "config/registration.h"
#include "text/bounded_text.h"

namespace {

// The settings the settings dialog would show, as its Setup would take them:
// the stored values read as the dialog reads them, defaults included.
void ReadShownSettings(DriverParameters* shown)
{
    int dmaIndex = 0;
    int irqIndex = 0;
    char portText[ParameterTextCapacity];
    char bufferText[ParameterTextCapacity];
    int audioMode = 0;
    int doorLock = 0;
    ReadDriverParameters(&dmaIndex, &irqIndex, portText, bufferText, &audioMode, &doorLock);
    if (dmaIndex >= 0 && static_cast<size_t>(dmaIndex) < std::size(dmaChoiceList)) {
        shown->DMAChannel = dmaChoiceList[dmaIndex].value;
    }
    if (irqIndex >= 0 && static_cast<size_t>(irqIndex) < std::size(irqChoiceList)) {
        shown->IRQChannel = irqChoiceList[irqIndex].value;
    }
    _strupr(portText);  // the port field shows its text upper-cased, and Setup reads it so
    shown->IOPortAddress = PortTextValue(portText);
    DWORD bufferSize = 0;
    BufferTextAccepted(bufferText, &bufferSize);  // always in range: read as the dialog shows it
    shown->BufferSize = bufferSize;
    shown->AudioMode = static_cast<DWORD>(audioMode);
    shown->DoorLock = static_cast<DWORD>(doorLock);
}

// Registers the driver with the shown settings and those given over them;
// 0, or the status of the registry step that failed.
int RegisterWithSettings(const GivenSettings& given)
{
    DriverParameters settings = {};
    ReadShownSettings(&settings);
    ApplyGivenSettings(given, &settings);
    driverSettings = settings;
    OutputLine line("Registering the driver with ");
    AddSettingWords(settings, &line);
    line.ToOutput();
    const LONG status = RegisterDriver();
    if (status != ERROR_SUCCESS) {
        ReportFailure("registering the driver (service key, Parameters, service, sibling services)",
                      static_cast<DWORD>(status));
        return status;
    }
    OutputLine("Registered: the service ").Add(driverServiceName).Add(" starts at the next restart").ToOutput();
    return ExitDone;
}

// Copies one product file as the copy progress dialog does; 1, or 0 after
// telling the status.
int CopyProductFile(const InstallFile& record)
{
    char what[OutputLineCapacity];
    what[0] = '\0';
    AppendTextTo(what, OutputLineCapacity, "copying ");
    AppendTextTo(what, OutputLineCapacity, record.SourcePath());
    AppendTextTo(what, OutputLineCapacity, " to ");
    AppendTextTo(what, OutputLineCapacity, record.TargetPath());
    if (!record.CopyToTarget()) {
        ReportFailure(what, GetLastError());
        return 0;
    }
    OutputLine("Copied ").Add(record.SourcePath()).Add(" to ").Add(record.TargetPath()).ToOutput();
    return 1;
}

}  // namespace

int InstallCommand(int count, char** words)
{
    GivenSettings given;
    char sourceFolder[PathCapacity];
    if (!ReadCommandWords(count, words, &given, sourceFolder)) {
        return ExitBadArguments;
    }
    const char* from = sourceFolder[0] != '\0' ? sourceFolder : nullptr;
    const InstallFile setupProgram(setupProgramFileName, nullptr, from);
    const InstallFile driver(driverFileName, driverSubdirectory, from);
    // The files are copied into the system directory, never out of it.
    if (setupProgram.RunningFromSystemDir()) {
        ReportRefusal(from != nullptr ? sourceFolder : "install",
                      "the source folder is the system directory that the files are installed into; install from "
                      "the diskette's vlncdctl.exe, or name its folder with /from:");
        return from != nullptr ? ExitBadArguments : ExitFailed;
    }
    const InstallFile* const records[] = {&setupProgram, &driver};
    for (const InstallFile* record : records) {
        if (!record->SourceAvailable()) {
            ReportFailure(record->SourcePath()[0] != '\0' ? record->SourcePath() : "a product file's path",
                          ERROR_FILE_NOT_FOUND);
            return ExitFailed;
        }
    }

    // A removal may have left the files to be deleted at the next restart:
    // the new installation must not go with them.
    const char* const targets[] = {setupProgram.TargetPath(), driver.TargetPath()};
    int cancelled = 0;
    const LONG status = CancelDeletionsAtRestart(targets, 2, &cancelled);
    if (status == ERROR_MORE_DATA) {
        ReportRefusal("install", "a restart is due: the list of files to delete at the next restart is too long "
                                 "to change; restart Windows, then install");
        return ExitFailed;
    }
    if (status != ERROR_SUCCESS) {
        ReportFailure("taking the product files off the list of files to delete at the next restart",
                      static_cast<DWORD>(status));
        return ExitFailed;
    }
    if (cancelled) {
        OutputLine("Taken off the list of files to delete at the next restart: the product files").ToOutput();
    }

    for (const InstallFile* record : records) {
        if (!CopyProductFile(*record)) {
            return ExitFailed;
        }
    }
    return RegisterWithSettings(given);
}

int SetCommand(int count, char** words)
{
    GivenSettings given;
    if (!ReadCommandWords(count, words, &given, nullptr)) {
        return ExitBadArguments;
    }
    const InstallFile driver(driverFileName, driverSubdirectory);
    if (!driver.TargetExists()) {
        ReportRefusal(driver.TargetPath(), "no driver installed there; install it first (vlncdctl install)");
        return ExitFailed;
    }
    if (DeletionPendingAtRestart(driver.TargetPath())) {
        ReportRefusal(driver.TargetPath(), "to be deleted at the next restart; install it again (vlncdctl install)");
        return ExitFailed;
    }
    return RegisterWithSettings(given);
}
