#include "fault_support.h"

#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <gtest/gtest.h>

#include "resource.h"

namespace faults {

using namespace e2e;

const char* const kParameterNames[6] = {"DMAChannel", "IRQChannel", "IOPortAddress",
                                        "BufferSize", "AudioMode",  "DoorLock"};

namespace {

// Title, install-failed text, input-error title and text of each block, in
// code page 1252.
const LanguageTexts kLanguages[] = {
    {"English", "VELNARI Device Driver Setup", "Failed to install the VELNARI adapter.", "Input value error",
     "Input value is out of range.\n\nRe-input a valid value"},
    {"French", "Installation du Device Driver de VELNARI",
     "L\x92" "adaptateur VELNARI n\x92" "a pu \xEAtre install\xE9" "e.", "Valeur \xE9rronn\xE9" "e",
     "La valeur donn\xE9" "e est inexacte\n\nVeuillez indiquer une valeur correcte"},
    {"German", "Auswahl und Eingabe der Treiber-Parameter", "Der VELNARI Adapter konnte nicht installiert werden.",
     "Eingabefehler", "Die eingegebenen Werte sind ung\xFCltig.\n\nBitte geben Sie die Werte neu ein."},
    {"Italian", "Velnari CD Device Driver Setup",
     "L\x92" "adattatore VELNARI non \xE8 stato installato nel modo giusto.", "Input value error",
     "Input value is out of range.\n\nRe-input a valid value."},
    {"Spanish", "Velnari CD Device Driver Setup", "El adaptador VELNARI no se ha podido instalar.",
     "Input value error", "Input value is out of range.\n\nRe-input a valid value."},
};

const DWORD kDmaValues[] = {5, 6, 7, 0};
const DWORD kIrqValues[] = {3, 5, 9, 10, 11};

int IndexOf(const DWORD* values, int count, DWORD value, int fallback)
{
    for (int index = 0; index < count; ++index) {
        if (values[index] == value) {
            return index;
        }
    }
    return fallback;
}

}  // namespace

ValueMap ParameterValues(const std::vector<DWORD>& values)
{
    ValueMap map;
    for (size_t row = 0; row < values.size(); ++row) {
        map[kParameterNames[row]] = Dword(values[row]);
    }
    return map;
}

Selections SelectionsFor(const std::vector<DWORD>& fields)
{
    const DWORD port = fields[2], buffer = fields[3];
    char portText[16], bufferText[16];
    snprintf(portText, sizeof portText, "%lx", static_cast<unsigned long>(port));
    snprintf(bufferText, sizeof bufferText, "%lu", static_cast<unsigned long>(buffer));
    return {IndexOf(kDmaValues, 4, fields[0], 0),
            IndexOf(kIrqValues, 5, fields[1], 3),
            port <= 0x3FF ? portText : "300",
            buffer >= 2 && buffer <= 64 ? bufferText : "20",
            fields[4] <= 1 ? int(fields[4]) : 0,
            fields[5] <= 1 ? int(fields[5]) : 0};
}

std::vector<DWORD> ValuesFor(const Selections& s)
{
    const auto& [dma, irq, port, buffer, audio, lock] = s;
    return {kDmaValues[dma], kIrqValues[irq], DWORD(strtoul(port.c_str(), nullptr, 16)),
            DWORD(strtoul(buffer.c_str(), nullptr, 10)), DWORD(audio), DWORD(lock)};
}

Selections ShownSelections(HWND settings)
{
    const auto checked = [&](int id) {
        return SendMessageA(GetDlgItem(settings, id), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    };
    std::string port = ControlText(settings, IDE_SET_PORT);
    for (char& c : port) {
        c = char(tolower(static_cast<unsigned char>(c)));  // the field shows capitals
    }
    // A radio pair with neither or both checked shows as -1.
    const int audio = checked(IDB_SET_MONO) != checked(IDB_SET_STEREO) ? checked(IDB_SET_MONO) : -1;
    const int lock = checked(IDB_SET_LOCK) != checked(IDB_SET_UNLOCK) ? checked(IDB_SET_LOCK) : -1;
    return {int(SendMessageA(GetDlgItem(settings, IDX_SET_DMA_LIST), CB_GETCURSEL, 0, 0)),
            int(SendMessageA(GetDlgItem(settings, IDX_SET_IRQ_LIST), CB_GETCURSEL, 0, 0)),
            port,
            ControlText(settings, IDE_SET_BUFFER),
            audio,
            lock};
}

const LanguageTexts& ExpectedTexts()
{
    const char* language = getenv("FAULT_LANGUAGE");
    for (const LanguageTexts& texts : kLanguages) {
        if (language != nullptr && strcmp(texts.language, language) == 0) {
            return texts;
        }
    }
    EXPECT_EQ(language, nullptr) << "no texts for " << language;
    return kLanguages[0];
}

HWND StartSettings(SetupProcess& setup, const std::string& program, const char* tail)
{
    std::string folder = program.substr(0, program.find_last_of('\\'));
    if (folder.back() == ':') {
        folder += '\\';
    }
    EXPECT_TRUE(setup.Start(program, tail, folder)) << program;
    HWND settings = WaitForDialogWithControl(setup.Id(), IDB_SET_SETUP);
    EXPECT_NE(settings, nullptr) << "no settings dialog";
    return settings;
}

void ExpectSilentExit(SetupProcess& setup, DWORD exitCode, HWND except)
{
    DWORD ended = 0xDEADBEEF;
    ASSERT_TRUE(ExitsShowingNothing(setup, Shown::MessageBox, &ended, except))
        << "a message box showed, or the run did not end: "
        << ControlText(WaitForMessageBox(setup.Id(), 0), 0xFFFF);
    EXPECT_EQ(ended, exitCode);
}

void ExpectInstallFailed(SetupProcess& setup)
{
    const LanguageTexts& texts = ExpectedTexts();
    HWND box = WaitForMessageBox(setup.Id());
    ASSERT_NO_FATAL_FAILURE(ExpectMessageAndDismiss(box, texts.title, texts.installFailed));
    DWORD exitCode = 0xDEADBEEF;
    ASSERT_TRUE(ExitsShowingNothing(setup, Shown::AnyWindow, &exitCode, box)) << "a window after the message";
    EXPECT_EQ(exitCode, 1u);
}

}  // namespace faults
