// Shared by the fault matrix: registry values as an ANSI program sees them,
// key rights, what the settings dialog shows, the expected message texts of
// the language under test, and the usual ways a run of setupb.exe ends.
#ifndef SETUPB_TESTS_FAULTS_FAULT_SUPPORT_H
#define SETUPB_TESTS_FAULTS_FAULT_SUPPORT_H

#include "harness.h"

#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace faults {

using Bytes = std::vector<BYTE>;
using StoredValue = std::pair<DWORD, Bytes>;  // registry type, data
using ValueMap = std::map<std::string, StoredValue>;
using KeyState = std::optional<ValueMap>;  // nothing: the key does not exist

extern const char* const kParameterNames[6];
extern const char kReadOnlyDacl[];  // full access fails for everybody, reading works

std::string SiblingKey(int sibling);  // 0 to 4: vlnpx11 to vlnpx15

StoredValue Dword(DWORD value);
StoredValue Text(DWORD type, const char* text);  // with its terminating zero
ValueMap ParameterValues(const std::vector<DWORD>& values);  // the six as REG_DWORDs

// Creates the key when needed and stores exactly `length` bytes.
void StoreValue(const std::string& path, const char* name, DWORD type, const BYTE* data, DWORD length);
void StoreValues(const std::string& path, const ValueMap& values);
KeyState ReadValues(const std::string& path);
// Deletes the key tree, first lifting a DACL that a test may have left on it.
void DeleteKey(const std::string& path);
void SetKeyDacl(const std::string& path, const char* sddl);

// dmaIndex, irqIndex, port text (lower case), buffer text, audio mode, door lock
using Selections = std::tuple<int, int, std::string, std::string, int, int>;
// What the settings dialog is given for these stored fields.
Selections SelectionsFor(const std::vector<DWORD>& fields);
// What Setup stores for these selections.
std::vector<DWORD> ValuesFor(const Selections& selections);
// What the settings dialog of a running setupb.exe shows.
Selections ShownSelections(HWND settings);

// Texts of the language block that the run under test must show; the language
// comes from FAULT_LANGUAGE (set together with LC_ALL), English when unset.
struct LanguageTexts {
    const char* language;
    const char* title;
    const char* installFailed;
    const char* inputErrorTitle;
    const char* inputErrorText;
};
const LanguageTexts& ExpectedTexts();

// Checks a message box's title, text and icon, then presses Enter on it.
void ExpectMessageAndDismiss(HWND box, const char* title, const char* text);

// Puts setupb.exe and a driver where an installation leaves them.
void InstallIntoSystemDir();

// Starts a program in its own folder and waits for the settings dialog.
HWND StartSettings(e2e::SetupProcess& setup, const std::string& program, const char* tail);

// The run ends with this exit code, and no message box shows on the way.
void ExpectSilentExit(e2e::SetupProcess& setup, DWORD exitCode, HWND except = nullptr);

// The install-failed message in the language under test, then exit code 1.
void ExpectInstallFailed(e2e::SetupProcess& setup);

}  // namespace faults

#endif
