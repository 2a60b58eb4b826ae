// The driver configuration store on the prefix's real registry and service manager: stored settings read into the
// dialog's selections, registration.
#include <gtest/gtest.h>

#include "config/driver_parameters.h"
#include "config/registration.h"
#include "harness.h"

namespace {

using namespace harness;

// "DMA index, IRQ index, port text, buffer text, audio mode, door lock | the fields", as they are read.
std::string Read()
{
    int dma = -1, irq = -1, audio = -1, lock = -1;
    char port[ParameterTextCapacity] = "xyz", buffer[ParameterTextCapacity] = "xyz";
    ReadDriverParameters(&dma, &irq, port, buffer, &audio, &lock);
    char text[128];
    const DriverParameters& p = driverSettings;
    snprintf(text, sizeof text, "%d %d %s %s %d %d | %lu %lu %lx %lu %lu %lu", dma, irq, port, buffer, audio, lock,
             p.DMAChannel, p.IRQChannel, p.IOPortAddress, p.BufferSize, p.AudioMode, p.DoorLock);
    return text;
}

// The usual stored values with one of them replaced, or left out.
Values Stored(const char* name, std::optional<Value> value)
{
    Values values = ParameterValues(7, 5, 0x2A0, 33, 1, 1);
    value ? void(values[name] = *value) : void(values.erase(name));
    return values;
}

TEST(ConfigStore, StoredSettingsBecomeTheDialogsSelections)
{
    const std::string defaults = "0 3 300 20 0 0 | 0 0 0 0 0 0";
    const struct { const char* what; std::optional<Values> parameters; const char* read; } rows[] = {  // none: no key
        {"no Parameters", std::nullopt, defaults.c_str()},
        {"empty Parameters", Values{}, "3 3 0 20 0 0 | 0 0 0 0 0 0"},
        {"in range", ParameterValues(0, 11, 0x340, 64, 1, 1), "3 4 340 64 1 1 | 0 11 340 64 1 1"},
        {"upper limits", ParameterValues(6, 9, 0x3FF, 2, 0, 1), "1 2 3ff 2 0 1 | 6 9 3ff 2 0 1"},
        {"just out of range", ParameterValues(4, 7, 0x400, 65, 2, 2), "0 3 300 20 0 0 | 4 7 400 65 2 2"},
        // Reading stops at a value it cannot read; the fields from there on stay 0.
        {"DMAChannel missing", Stored("DMAChannel", {}), "3 3 0 20 0 0 | 0 0 0 0 0 0"},
        {"BufferSize missing", Stored("BufferSize", {}), "2 1 2a0 20 0 0 | 7 5 2a0 0 0 0"},
        {"BufferSize of 8 bytes", Stored("BufferSize", Value{REG_QWORD, std::string("\x28\0\0\0\0\0\0\0", 8)}),
         "2 1 2a0 20 0 0 | 7 5 2a0 0 0 0"},
        // Other types of at most 4 bytes land in the low bytes of their field.
        {"port as the text \"5\"", Stored("IOPortAddress", Text(REG_SZ, "5")), "2 1 35 33 1 1 | 7 5 35 33 1 1"},
        {"IRQ as 1 byte", Stored("IRQChannel", Value{REG_BINARY, "\x0B"}), "2 4 2a0 33 1 1 | 7 11 2a0 33 1 1"},
        {"DMA as 0 bytes", Stored("DMAChannel", Value{REG_BINARY, ""}), "3 1 2a0 33 1 1 | 0 5 2a0 33 1 1"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_TRUE(ResetMachine());  // and the settings as a fresh process has them
        driverSettings = {};
        ASSERT_TRUE(row.parameters ? StoreValues(kParametersKey, *row.parameters) : StoreValues(kServiceKey, {}));
        EXPECT_EQ(Read(), row.read);
    }
    ASSERT_TRUE(ResetMachine());
    driverSettings = {};
    EXPECT_EQ(Read(), defaults) << "no service key";
    ASSERT_TRUE(StoreValues(kParametersKey, ParameterValues(7, 5, 0x2A0, 33, 1, 1)) && DenyChanges(kServiceKey));
    EXPECT_EQ(Read(), defaults) << "a service key the user may not change";
}

// Whatever type and length a value was read with, the registration writes 4-byte REG_DWORDs, and the service
// key as the program has it once the service exists. Each sibling is read afresh: Start 0 to 3 becomes 4, a missing
// key or value is skipped (a failing one: see the end-to-end runs).
TEST(ConfigStore, RegistrationWritesFourByteParametersTheServiceKeyAndDisablesSiblings)
{
    const auto start = [](Value value) { return Key(Values{{"Start", value}}); };
    const Key none, noStart = Values{{"Type", Dword(1)}}, disabled = start(Dword(4));
    const struct { Key before[5], after[5]; } siblings[] = {
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
        ASSERT_TRUE(RegisterDriver() == ERROR_SUCCESS && StoreValues(kParametersKey, foreign));  // the service exists
        for (int sibling = 0; sibling < 5; ++sibling) {
            ASSERT_TRUE(!row.before[sibling] || StoreValues(SiblingKey(sibling), *row.before[sibling]));
        }
        Read();
        driverSettings = {6, 9, 0x2A0, 33, 1, 0};
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
