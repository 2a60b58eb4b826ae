// Stored settings of every registry type and of every length from 0 to 8
// bytes: what the settings dialog is given, what the registration writes
// back, and how a sibling's Start value of that shape is treated. In process
// against the prefix's registry for the whole matrix, then a sample of it on
// the real setupb.exe.
#include <gtest/gtest.h>

#include <string.h>

#include "config/driver_parameters.h"
#include "config/registration.h"
#include "fault_support.h"
#include "resource.h"

namespace {

using namespace faults;
using namespace e2e;

const DWORD kTypes[] = {REG_NONE,  REG_SZ,    REG_EXPAND_SZ,        REG_BINARY,
                        REG_DWORD, REG_DWORD_BIG_ENDIAN, REG_MULTI_SZ, REG_QWORD};
constexpr int MaxLength = 8;
constexpr int SiblingProbe = 6;  // probes 0 to 5 are the rows of Parameters

// The Parameters around the probed value, stored as REG_DWORDs.
const std::vector<DWORD> kStored = {6, 9, 0x2A0, 33, 1, 1};

// Bytes of each probed value; a length n stores the first n. All below 0x80,
// so that the text types keep them unchanged through the ANSI layer. Each
// pattern gives a different outcome at some length from 1 to 4.
const BYTE kPatterns[7][MaxLength] = {
    {7, 0, 0, 1, 5, 5, 5, 5},        // DMAChannel: 7 ("7"); at 4 bytes 0x01000007 ("5")
    {11, 0, 1, 0, 3, 3, 3, 3},       // IRQChannel: 11; from 3 bytes 0x1000B ("10")
    {0x7F, 3, 0, 0x40, 1, 1, 1, 1},  // IOPortAddress: "7f", "37f"; at 4 bytes 0x4000037F ("300")
    {64, 0, 2, 0, 9, 9, 9, 9},       // BufferSize: "64"; from 3 bytes 0x20040 ("20")
    {1, 0, 0x10, 0, 1, 1, 1, 1},     // AudioMode: mono; from 3 bytes 0x100001 (stereo)
    {1, 1, 0, 0, 1, 1, 1, 1},        // DoorLock: locked; from 2 bytes 0x101 (unlocked)
    {2, 0, 0, 1, 2, 2, 2, 2},        // sibling Start: 2 (disabled); at 4 bytes 0x01000002 (left alone)
};

DWORD LowBytes(const BYTE* bytes, int length)
{
    DWORD value = 0;
    for (int index = 0; index < length; ++index) {
        value |= DWORD(bytes[index]) << (8 * index);
    }
    return value;
}

// Stores the probe and checks that an ANSI reader finds it as meant. A
// non-zero byte after the data keeps the registry from counting a missing
// terminator into the length of a text type.
void StoreProbe(const std::string& path, const char* name, DWORD type, const BYTE* pattern, int length)
{
    BYTE data[MaxLength + 1];
    memcpy(data, pattern, length);
    data[length] = 'x';
    ASSERT_NO_FATAL_FAILURE(StoreValue(path, name, type, data, length));
    const KeyState stored = ReadValues(path);
    ASSERT_TRUE(stored && stored->count(name));
    ASSERT_EQ(stored->at(name), StoredValue(type, Bytes(pattern, pattern + length))) << name;
}

// The sibling probe goes to vlnpx11; vlnpx12 holds an empty Start, which reads
// as 0 only when its query does not start from what vlnpx11 left behind.
const StoredValue kEmptyStart = {REG_BINARY, {}};

// Lays out Parameters and the first two siblings for one probe and returns
// the fields that reading them must give: a value of at most 4 bytes lands in
// the low bytes of a zero field; a longer one leaves its field at 0 and stops
// the reading, so that the rows after it stay 0.
std::vector<DWORD> StoreCase(int probe, DWORD type, int length, bool siblingToo)
{
    DeleteKey(kParametersKey);
    DeleteKey(SiblingKey(0));
    DeleteKey(SiblingKey(1));
    std::vector<DWORD> fields = kStored;
    bool stopped = false;
    for (int row = 0; row < 6; ++row) {
        if (row == probe) {
            StoreProbe(kParametersKey, kParameterNames[row], type, kPatterns[row], length);
            stopped = length > 4;
            fields[row] = stopped ? 0 : LowBytes(kPatterns[row], length);
        } else {
            StoreValues(kParametersKey, {{kParameterNames[row], Dword(kStored[row])}});
            fields[row] = stopped && row > probe ? 0 : kStored[row];
        }
    }
    if (siblingToo) {
        StoreProbe(SiblingKey(0), "Start", type, kPatterns[SiblingProbe], length);
        StoreValues(SiblingKey(1), {{"Start", kEmptyStart}});
    }
    return fields;
}

// What the walk over the siblings leaves: a Start of at most 4 bytes whose
// value is 0 to 3 becomes a 4-byte REG_DWORD 4, any other is left alone; a
// longer one stops the walk with 234 (ERROR_MORE_DATA).
void ExpectSiblings(DWORD type, int length)
{
    const BYTE* pattern = kPatterns[SiblingProbe];
    const StoredValue probe = {type, Bytes(pattern, pattern + length)};
    const bool stops = length > 4;
    const bool disabled = !stops && LowBytes(pattern, length) <= 3;
    EXPECT_EQ(ReadValues(SiblingKey(0)), ValueMap({{"Start", disabled ? Dword(4) : probe}}));
    EXPECT_EQ(ReadValues(SiblingKey(1)), ValueMap({{"Start", stops ? kEmptyStart : Dword(4)}}));
}

class StoredData : public ::testing::Test {
protected:
    void SetUp() override { ResetInstalledState(); }
    void TearDown() override { ResetInstalledState(); }
};

TEST_F(StoredData, EveryTypeAndLengthIsReadRegisteredAndJudgedAsDocumented)
{
    for (int probe = 0; probe <= SiblingProbe; ++probe) {
        for (const DWORD type : kTypes) {
            for (int length = 0; length <= MaxLength; ++length) {
                SCOPED_TRACE(std::string(probe == SiblingProbe ? "sibling Start" : kParameterNames[probe]) +
                             " type " + std::to_string(type) + " length " + std::to_string(length));
                std::vector<DWORD> fields;
                ASSERT_NO_FATAL_FAILURE(fields = StoreCase(probe, type, length, probe == SiblingProbe));
                // The store as a fresh process has it.
                driverParameters = DriverParameters{};
                for (RegistryValueSpec& row : parameterValueTable) {
                    row.valueType = REG_DWORD;
                    row.dataSize = sizeof(DWORD);
                }

                int dma = -1, irq = -1, audio = -1, lock = -1;
                char port[ParameterTextCapacity] = "xyz", buffer[ParameterTextCapacity] = "xyz";
                ReadDriverParameters(&dma, &irq, port, buffer, &audio, &lock);
                EXPECT_EQ(Selections(dma, irq, port, buffer, audio, lock), SelectionsFor(fields));
                const DWORD* read = &driverParameters.DMAChannel;
                EXPECT_EQ(std::vector<DWORD>(read, read + 6), fields);

                const LONG status = RegisterDriver();
                EXPECT_EQ(ReadValues(kParametersKey), ParameterValues(fields));  // six 4-byte REG_DWORDs
                const bool walkStops = probe == SiblingProbe && length > 4;
                EXPECT_EQ(status, walkStops ? ERROR_MORE_DATA : ERROR_SUCCESS);
                if (probe == SiblingProbe) {
                    ExpectSiblings(type, length);
                }
            }
        }
    }
}

// The real program, from the system directory for a calling installer: each
// type at lengths 0, 2 and 8, in IOPortAddress and in a sibling's Start.
TEST_F(StoredData, RealProgramShowsReadsAndWritesEachTypeAtThreeLengths)
{
    ASSERT_NO_FATAL_FAILURE(InstallIntoSystemDir());
    for (const DWORD type : kTypes) {
        for (const int length : {0, 2, 8}) {
            SCOPED_TRACE("type " + std::to_string(type) + " length " + std::to_string(length));
            std::vector<DWORD> fields;
            ASSERT_NO_FATAL_FAILURE(fields = StoreCase(2, type, length, true));

            SetupProcess setup;
            HWND settings = StartSettings(setup, InstalledSetupPath(), "2");
            ASSERT_NE(settings, nullptr);
            const Selections shown = ShownSelections(settings);
            EXPECT_EQ(shown, SelectionsFor(fields));
            PressKey(settings, VK_RETURN);
            ASSERT_NO_FATAL_FAILURE(ExpectSilentExit(setup, length > 4 ? ERROR_MORE_DATA : 0, settings));
            EXPECT_EQ(ReadValues(kParametersKey), ParameterValues(ValuesFor(shown)));
            ExpectSiblings(type, length);
        }
    }
}

}  // namespace
