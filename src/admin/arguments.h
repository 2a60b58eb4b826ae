// The words of the tool's command line: command names, the settings given as
// SETTING=VALUE and the source folder given as /from:DIR.
#ifndef VLNCDCTL_ADMIN_ARGUMENTS_H
#define VLNCDCTL_ADMIN_ARGUMENTS_H

#include <windows.h>

#include "config/driver_parameters.h"
#include "admin/console_output.h"
#include "config/install_file.h"

// 1 when the two words are the same, ASCII letters in any case.
int SameWord(const char* first, const char* second);

// 1 when word starts with prefix, ASCII letters in any case.
int StartsWithWord(const char* word, const char* prefix);

// The settings a command line gives, one flag and value per value of
// Parameters, in the order of DriverParameters.
struct GivenSettings {
    int given[ParameterValueCount];
    DWORD value[ParameterValueCount];
};

// Reads words[0] to words[count - 1]: SETTING=VALUE each, and with
// sourceFolder not null also one /from:DIR, made a full path without a
// trailing backslash into sourceFolder (PathCapacity characters; empty when
// not given). 1 when every word is accepted; else 0, after telling which word
// and what is accepted.
int ReadCommandWords(int count, char** words, GivenSettings* settings, char* sourceFolder);

// Puts the given settings over those in parameters.
void ApplyGivenSettings(const GivenSettings& settings, DriverParameters* parameters);

// The settings in the words the command line gives them: "dma=5 irq=10 ...".
void AddSettingWords(const DriverParameters& parameters, OutputLine* line);

#endif
