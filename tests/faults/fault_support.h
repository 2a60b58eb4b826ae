// Shared by the fault matrix: the stored Parameters, what the settings dialog
// shows, the expected message texts of the language under test, and the usual
// ways a run of setupb.exe ends. Registry helpers come from registry_support.
#ifndef SETUPB_TESTS_FAULTS_FAULT_SUPPORT_H
#define SETUPB_TESTS_FAULTS_FAULT_SUPPORT_H

#include "harness.h"
#include "registry_support.h"

#include <string>
#include <tuple>
#include <vector>

namespace faults {

using namespace registry;

extern const char* const kParameterNames[6];

ValueMap ParameterValues(const std::vector<DWORD>& values);  // the six as REG_DWORDs

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

// Starts a program in its own folder and waits for the settings dialog.
HWND StartSettings(e2e::SetupProcess& setup, const std::string& program, const char* tail);

// The run ends with this exit code, and no message box shows on the way.
void ExpectSilentExit(e2e::SetupProcess& setup, DWORD exitCode, HWND except = nullptr);

// The install-failed message in the language under test, then exit code 1.
void ExpectInstallFailed(e2e::SetupProcess& setup);

}  // namespace faults

#endif
