// The configuration store on the prefix's registry and service manager: settings read into selections, registration.
#include <gtest/gtest.h>

#include "config/driver_parameters.h"
#include "config/registration.h"
#include "harness.h"

namespace {

using namespace harness;

// What ReadDriverParameters gives the settings dialog (the lists' indexes, the fields' texts, the radio buttons), and
// the run's settings in memory as read.
struct Read {
    int dmaIndex, irqIndex; std::string portText, bufferText; int audioButton, lockButton;
    DWORD DMAChannel, IRQChannel, IOPortAddress, BufferSize, AudioMode, DoorLock;
    bool operator==(const Read&) const = default;
};
void PrintTo(const Read& r, std::ostream* out)  // each field by its name, so that a failure says which one differs
{
    *out << "{dmaIndex " << r.dmaIndex << ", irqIndex " << r.irqIndex << ", portText \"" << r.portText
         << "\", bufferText \"" << r.bufferText << "\", audioButton " << r.audioButton << ", lockButton "
         << r.lockButton << std::hex << ", DMAChannel 0x" << r.DMAChannel << ", IRQChannel 0x" << r.IRQChannel
         << ", IOPortAddress 0x" << r.IOPortAddress << ", BufferSize 0x" << r.BufferSize << ", AudioMode 0x"
         << r.AudioMode << ", DoorLock 0x" << r.DoorLock << "}";
}

Read ReadSettings()
{
    Read read = {-1, -1, "", "", -1, -1, 0, 0, 0, 0, 0, 0};
    char port[ParameterTextCapacity] = "xyz", buffer[ParameterTextCapacity] = "xyz";
    ReadDriverParameters(&read.dmaIndex, &read.irqIndex, port, buffer, &read.audioButton, &read.lockButton);
    const DriverParameters& s = driverSettings;
    return {read.dmaIndex, read.irqIndex, port, buffer, read.audioButton, read.lockButton,
            s.DMAChannel, s.IRQChannel, s.IOPortAddress, s.BufferSize, s.AudioMode, s.DoorLock};
}

Values Stored(const char* name, std::optional<Value> value)  // the usual stored values with one replaced or left out
{
    Values values = ParameterValues(7, 5, 0x2A0, 33, 1, 1);
    if (value) values[name] = *value;
    else values.erase(name);
    return values;
}

TEST(ConfigStore, StoredSettingsBecomeTheDialogsSelections)
{
    // Reading stops at a value it cannot read; the settings from there on stay 0. Other types of at most 4 bytes
    // land in the low bytes of their setting. Shown: the selections; then the settings as read.
    const Read defaults = {0, 3, "300", "20", 0, 0, 0, 0, 0, 0, 0, 0};
    const std::string eightBytes("\x28\0\0\0\0\0\0\0", 8);
    const struct { const char* what; std::optional<Values> parameters; Read read; } rows[] = {  // none: no key
        {"no Parameters", std::nullopt, defaults},
        {"empty Parameters", Values{}, {3, 3, "0", "20", 0, 0, 0, 0, 0, 0, 0, 0}},
        {"in range", ParameterValues(0, 11, 0x340, 64, 1, 1), {3, 4, "340", "64", 1, 1, 0, 11, 0x340, 64, 1, 1}},
        {"upper limits", ParameterValues(6, 9, 0x3FF, 2, 0, 1), {1, 2, "3ff", "2", 0, 1, 6, 9, 0x3FF, 2, 0, 1}},
        {"just out of range", ParameterValues(4, 7, 0x400, 65, 2, 2), {0, 3, "300", "20", 0, 0, 4, 7, 0x400, 65, 2, 2}},
        {"DMAChannel missing", Stored("DMAChannel", {}), {3, 3, "0", "20", 0, 0, 0, 0, 0, 0, 0, 0}},
        {"BufferSize missing", Stored("BufferSize", {}), {2, 1, "2a0", "20", 0, 0, 7, 5, 0x2A0, 0, 0, 0}},
        {"BufferSize of 8 bytes", Stored("BufferSize", Value{REG_QWORD, eightBytes}),
         {2, 1, "2a0", "20", 0, 0, 7, 5, 0x2A0, 0, 0, 0}},
        {"port as the text \"5\"", Stored("IOPortAddress", Text(REG_SZ, "5")),
         {2, 1, "35", "33", 1, 1, 7, 5, 0x35, 33, 1, 1}},
        {"IRQ as 1 byte", Stored("IRQChannel", Value{REG_BINARY, "\x0B"}),
         {2, 4, "2a0", "33", 1, 1, 7, 11, 0x2A0, 33, 1, 1}},
        {"DMA, 0 bytes", Stored("DMAChannel", Value{REG_BINARY, ""}), {3, 1, "2a0", "33", 1, 1, 0, 5, 0x2A0, 33, 1, 1}},
    };
    for (const auto& row : rows) {
        ASSERT_TRUE(ResetMachine()) << row.what;  // and the settings as a fresh process has them
        driverSettings = {};
        const char* key = row.parameters ? kParametersKey : kServiceKey;  // Parameters, or only the service key
        ASSERT_TRUE(StoreValues(key, row.parameters.value_or(Values{})));
        EXPECT_EQ(ReadSettings(), row.read) << row.what;
    }
    ASSERT_TRUE(ResetMachine());
    driverSettings = {};
    EXPECT_EQ(ReadSettings(), defaults) << "no service key";
    ASSERT_TRUE(StoreValues(kParametersKey, ParameterValues(7, 5, 0x2A0, 33, 1, 1)));
    ASSERT_TRUE(DenyChanges(kServiceKey));
    EXPECT_EQ(ReadSettings(), defaults) << "a service key the user may not change";
}

// Whatever type and length a value was read with, the registration writes 4-byte REG_DWORDs, and the service
// key as the program has it once the service exists. Each sibling is read afresh: Start 0 to 3 becomes 4, a missing
// key or value is skipped (a failing one: see the end-to-end runs).
TEST(ConfigStore, RegistrationWritesFourByteParametersTheServiceKeyAndDisablesSiblings)
{
    const auto start = [](Value value) { return Key(Values{{"Start", value}}); };
    const Key none, noStart = Values{{"Type", Dword(1)}}, disabled = start(Dword(4));
    const struct { Key before[5]; Key after[5]; } siblings[] = {
        {{start(Dword(0)), start(Dword(1)), start(Dword(2)), start(Dword(3)), disabled},
         {disabled, disabled, disabled, disabled, disabled}},
        {{start(Dword(5)), none, noStart, start(Dword(3)), start(Dword(1))},
         {start(Dword(5)), none, noStart, disabled, disabled}},
        {{start(Text(REG_SZ, "1")), start({REG_BINARY, "\2"}), start(Dword(0x100)), start({REG_BINARY, ""}), none},
         {start(Text(REG_SZ, "1")), disabled, start(Dword(0x100)), disabled, none}},
    };
    Values foreign = Stored("IOPortAddress", Text(REG_SZ, "5"));
    foreign["IRQChannel"] = {REG_BINARY, "\x0B"};
    foreign["BufferSize"] = {REG_QWORD, std::string("\x28\0\0\0\0\0\0\0", 8)};
    for (const auto& row : siblings) {
        ASSERT_TRUE(ResetMachine());
        driverSettings = {};
        ASSERT_EQ(RegisterDriver(), ERROR_SUCCESS);  // the service exists
        ASSERT_TRUE(StoreValues(kParametersKey, foreign));
        for (int sibling = 0; sibling < 5; ++sibling) {
            ASSERT_TRUE(!row.before[sibling] || StoreValues(SiblingKey(sibling), *row.before[sibling]));
        }
        ReadSettings();  // each value's type and length as found
        driverSettings = {.DMAChannel = 6, .IRQChannel = 9, .IOPortAddress = 0x2A0, .BufferSize = 33, .AudioMode = 1,
                          .DoorLock = 0};
        EXPECT_EQ(RegisterDriver(), ERROR_SUCCESS);
        EXPECT_EQ(ReadKey(kParametersKey), ParameterValues(6, 9, 0x2A0, 33, 1, 0));
        Values key = ReadKey(kServiceKey).value_or(Values{});
        for (const auto& [name, value] : ServiceValues()) EXPECT_EQ(key[name], value) << name;
        for (int sibling = 0; sibling < 5; ++sibling) {
            EXPECT_EQ(ReadKey(SiblingKey(sibling)), row.after[sibling]) << "sibling " << sibling + 1;
        }
    }
}

}  // namespace
