#include "admin/arguments.h"

#include <string.h>

#include "admin/console_output.h"
#include "text/bounded_text.h"

namespace {

const char fromPrefix[] = "/from:";

char LowerAsciiLetter(char character)
{
    return character >= 'A' && character <= 'Z' ? static_cast<char>(character + ('a' - 'A')) : character;
}

// A choice-list entry's text, or for the no-DMA entry the word "none".
int ChoiceWordMatches(const ChoiceEntry& entry, const char* word)
{
    if (entry.value == 0) {
        return SameWord(word, "none");
    }
    return SameWord(word, entry.text);
}

template <size_t Count>
int ReadChoice(const ChoiceEntry (&list)[Count], const char* word, DWORD* value)
{
    for (size_t index = 0; index < Count; ++index) {
        if (ChoiceWordMatches(list[index], word)) {
            *value = list[index].value;
            return 1;
        }
    }
    return 0;
}

int ReadDma(const char* word, DWORD* value)
{
    return ReadChoice(dmaChoiceList, word, value);
}

int ReadIrq(const char* word, DWORD* value)
{
    return ReadChoice(irqChoiceList, word, value);
}

// The port field upper-cases what is typed: so does the tool, before the
// field's own check.
int ReadPort(const char* word, DWORD* value)
{
    char text[ParameterTextCapacity];
    if (strlen(word) > static_cast<size_t>(PortTextLimit) || !CopyTextTo(text, ParameterTextCapacity, word)) {
        return 0;
    }
    _strupr(text);  // ASCII only: the program never sets a locale
    if (!PortTextAccepted(text)) {
        return 0;
    }
    *value = PortTextValue(text);
    return 1;
}

int ReadBuffer(const char* word, DWORD* value)
{
    char text[ParameterTextCapacity];
    if (strlen(word) > static_cast<size_t>(BufferTextLimit) || !CopyTextTo(text, ParameterTextCapacity, word)) {
        return 0;
    }
    return BufferTextAccepted(text, value);
}

int ReadTwoWords(const char* word, const char* zeroWord, const char* oneWord, DWORD* value)
{
    if (SameWord(word, zeroWord)) {
        *value = 0;
        return 1;
    }
    if (SameWord(word, oneWord)) {
        *value = 1;
        return 1;
    }
    return 0;
}

int ReadAudio(const char* word, DWORD* value)
{
    return ReadTwoWords(word, "stereo", "mono", value);
}

int ReadDoor(const char* word, DWORD* value)
{
    return ReadTwoWords(word, "unlock", "lock", value);
}

// One row per value of Parameters, in its order: the setting's key, what it
// accepts in words, and its reader.
struct SettingRule {
    const char* key;
    const char* accepted;
    int (*read)(const char* word, DWORD* value);
};

const SettingRule settingRules[] = {
    {"dma", "dma=5|6|7|none", ReadDma},
    {"irq", "irq=3|5|9|10|11", ReadIrq},
    {"port", "port=0 to 3FF (1 to 3 hexadecimal digits)", ReadPort},
    {"buffer", "buffer=2 to 64", ReadBuffer},
    {"audio", "audio=stereo|mono", ReadAudio},
    {"door", "door=unlock|lock", ReadDoor},
};
static_assert(sizeof settingRules / sizeof settingRules[0] == ParameterValueCount, "a rule for each value");

DWORD DriverParameters::* const parameterFields[] = {
    &DriverParameters::DMAChannel, &DriverParameters::IRQChannel, &DriverParameters::IOPortAddress,
    &DriverParameters::BufferSize, &DriverParameters::AudioMode,  &DriverParameters::DoorLock,
};
static_assert(sizeof parameterFields / sizeof parameterFields[0] == ParameterValueCount, "a field for each value");

// The row whose key the word starts with, followed by "=", or -1.
int RuleOfWord(const char* word, const char** value)
{
    for (int row = 0; row < ParameterValueCount; ++row) {
        const size_t keyLength = strlen(settingRules[row].key);
        if (StartsWithWord(word, settingRules[row].key) && word[keyLength] == '=') {
            *value = word + keyLength + 1;
            return row;
        }
    }
    return -1;
}

void RefuseWord(const char* word, const char* why)
{
    char what[OutputLineCapacity];
    what[0] = '\0';
    AppendTextTo(what, OutputLineCapacity, "'");
    if (!AppendTextTo(what, OutputLineCapacity, word)) {
        AppendTextTo(what, OutputLineCapacity, "(a word too long to show)");
    }
    AppendTextTo(what, OutputLineCapacity, "'");
    ReportRefusal(what, why);
}

// The setting word of a rule's row: refused when repeated or not accepted.
int ReadSettingWord(const char* word, int row, const char* valueText, GivenSettings* settings)
{
    char why[OutputLineCapacity];
    why[0] = '\0';
    if (settings->given[row]) {
        AppendTextTo(why, OutputLineCapacity, "given twice; give each setting once");
        RefuseWord(word, why);
        return 0;
    }
    if (!settingRules[row].read(valueText, &settings->value[row])) {
        AppendTextTo(why, OutputLineCapacity, "not accepted; accepted: ");
        AppendTextTo(why, OutputLineCapacity, settingRules[row].accepted);
        RefuseWord(word, why);
        return 0;
    }
    settings->given[row] = 1;
    return 1;
}

// The folder of /from:, as a full path without a trailing backslash.
int ReadSourceFolder(const char* word, char* sourceFolder)
{
    if (sourceFolder[0] != '\0') {
        RefuseWord(word, "a second /from:; give the source folder once");
        return 0;
    }
    const char* folder = word + strlen(fromPrefix);
    char* namePart = nullptr;
    const DWORD length = folder[0] == '\0' ? 0 : GetFullPathNameA(folder, PathCapacity, sourceFolder, &namePart);
    if (length == 0 || length >= static_cast<DWORD>(PathCapacity)) {
        sourceFolder[0] = '\0';
        RefuseWord(word, "no folder, or one whose full path is too long; accepted: /from:DIR");
        return 0;
    }
    if (length > 0 && sourceFolder[length - 1] == '\\') {
        sourceFolder[length - 1] = '\0';
    }
    return 1;
}

}  // namespace

int SameWord(const char* first, const char* second)
{
    for (; *first != '\0' && *second != '\0'; ++first, ++second) {
        if (LowerAsciiLetter(*first) != LowerAsciiLetter(*second)) {
            return 0;
        }
    }
    return *first == *second;
}

int StartsWithWord(const char* word, const char* prefix)
{
    for (; *prefix != '\0'; ++word, ++prefix) {
        if (*word == '\0' || LowerAsciiLetter(*word) != LowerAsciiLetter(*prefix)) {
            return 0;
        }
    }
    return 1;
}

int ReadCommandWords(int count, char** words, GivenSettings* settings, char* sourceFolder)
{
    for (int row = 0; row < ParameterValueCount; ++row) {
        settings->given[row] = 0;
        settings->value[row] = 0;
    }
    if (sourceFolder != nullptr) {
        sourceFolder[0] = '\0';
    }
    for (int index = 0; index < count; ++index) {
        const char* word = words[index];
        const char* valueText = nullptr;
        const int row = RuleOfWord(word, &valueText);
        if (row >= 0) {
            if (!ReadSettingWord(word, row, valueText, settings)) {
                return 0;
            }
        } else if (sourceFolder != nullptr && StartsWithWord(word, fromPrefix)) {
            if (!ReadSourceFolder(word, sourceFolder)) {
                return 0;
            }
        } else {
            RefuseWord(word, sourceFolder != nullptr
                                 ? "not a setting nor /from:DIR; accepted: dma=, irq=, port=, buffer=, audio=, door="
                                 : "not a setting; accepted: dma=, irq=, port=, buffer=, audio=, door=");
            return 0;
        }
    }
    return 1;
}

void ApplyGivenSettings(const GivenSettings& settings, DriverParameters* parameters)
{
    for (int row = 0; row < ParameterValueCount; ++row) {
        if (settings.given[row]) {
            parameters->*parameterFields[row] = settings.value[row];
        }
    }
}

void AddSettingWords(const DriverParameters& parameters, OutputLine* line)
{
    line->Add("dma=");
    for (size_t index = 0; index < sizeof dmaChoiceList / sizeof dmaChoiceList[0]; ++index) {
        if (dmaChoiceList[index].value == parameters.DMAChannel) {
            line->Add(dmaChoiceList[index].value == 0 ? "none" : dmaChoiceList[index].text);
        }
    }
    line->Add(" irq=").AddNumber(parameters.IRQChannel);
    line->Add(" port=").AddHex(parameters.IOPortAddress);
    line->Add(" buffer=").AddNumber(parameters.BufferSize);
    line->Add(parameters.AudioMode == 0 ? " audio=stereo" : " audio=mono");
    line->Add(parameters.DoorLock == 0 ? " door=unlock" : " door=lock");
}
