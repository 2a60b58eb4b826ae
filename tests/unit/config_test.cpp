// The driver configuration store on the prefix's real registry and service manager: stored settings read into the
// dialog's selections, registration.
#include <gtest/gtest.h>

#include "config/driver_parameters.h"
#include "config/registration.h"
#include "harness.h"

namespace {

using namespace harness;

// The settings dialog's selections as ReadDriverParameters gives them (the lists' indexes, the fields' texts, the
// radio buttons), and the run's settings in memory as read.
struct Selections { int dma; int irq; std::string port; std::string buffer; int audio; int lock; };
struct Settings { DWORD dma; DWORD irq; DWORD port; DWORD buffer; DWORD audio; DWORD lock; };

Selections ReadSelections()
{
    int dma = -1;
    int irq = -1;
    int audio = -1;
    int lock = -1;
    char port[ParameterTextCapacity] = "xyz";
    char buffer[ParameterTextCapacity] = "xyz";
    ReadDriverParameters(&dma, &irq, port, buffer, &audio, &lock);
    return {.dma = dma, .irq = irq, .port = port, .buffer = buffer, .audio = audio, .lock = lock};
}

void ExpectRead(const char* what, const Selections& selections, const Settings& settings)
{
    SCOPED_TRACE(what);
    const Selections read = ReadSelections();
    EXPECT_EQ(read.dma, selections.dma) << "DMA list index";
    EXPECT_EQ(read.irq, selections.irq) << "IRQ list index";
    EXPECT_EQ(read.port, selections.port) << "port field";
    EXPECT_EQ(read.buffer, selections.buffer) << "buffer field";
    EXPECT_EQ(read.audio, selections.audio) << "audio mode button";
    EXPECT_EQ(read.lock, selections.lock) << "door lock button";
    EXPECT_EQ(driverSettings.DMAChannel, settings.dma) << "DMAChannel";
    EXPECT_EQ(driverSettings.IRQChannel, settings.irq) << "IRQChannel";
    EXPECT_EQ(driverSettings.IOPortAddress, settings.port) << "IOPortAddress";
    EXPECT_EQ(driverSettings.BufferSize, settings.buffer) << "BufferSize";
    EXPECT_EQ(driverSettings.AudioMode, settings.audio) << "AudioMode";
    EXPECT_EQ(driverSettings.DoorLock, settings.lock) << "DoorLock";
}

// The usual stored values with one of them replaced, or left out.
Values Stored(const char* name, std::optional<Value> value)
{
    Values values = ParameterValues(7, 5, 0x2A0, 33, 1, 1);
    if (value) {
        values[name] = *value;
    } else {
        values.erase(name);
    }
    return values;
}

TEST(ConfigStore, StoredSettingsBecomeTheDialogsSelections)
{
    const Selections defaults = {.dma = 0, .irq = 3, .port = "300", .buffer = "20", .audio = 0, .lock = 0};
    const Settings none = {.dma = 0, .irq = 0, .port = 0, .buffer = 0, .audio = 0, .lock = 0};
    const std::string eightBytes("\x28\0\0\0\0\0\0\0", 8);
    // Reading stops at a value it cannot read; the settings from there on stay 0. Other types of at most 4 bytes
    // land in the low bytes of their setting.
    const struct {
        const char* what;
        std::optional<Values> parameters;  // none: no Parameters key
        Selections shown;                  // DMA index, IRQ index, port text, buffer text, audio mode, door lock
        Settings read;                     // DMAChannel, IRQChannel, IOPortAddress, BufferSize, AudioMode, DoorLock
    } rows[] = {
        {"no Parameters", std::nullopt, defaults, none},
        {"empty Parameters", Values{}, {3, 3, "0", "20", 0, 0}, none},
        {"in range", ParameterValues(0, 11, 0x340, 64, 1, 1), {3, 4, "340", "64", 1, 1}, {0, 11, 0x340, 64, 1, 1}},
        {"upper limits", ParameterValues(6, 9, 0x3FF, 2, 0, 1), {1, 2, "3ff", "2", 0, 1}, {6, 9, 0x3FF, 2, 0, 1}},
        {"just out of range", ParameterValues(4, 7, 0x400, 65, 2, 2), defaults, {4, 7, 0x400, 65, 2, 2}},
        {"DMAChannel missing", Stored("DMAChannel", {}), {3, 3, "0", "20", 0, 0}, none},
        {"BufferSize missing", Stored("BufferSize", {}), {2, 1, "2a0", "20", 0, 0}, {7, 5, 0x2A0, 0, 0, 0}},
        {"BufferSize of 8 bytes", Stored("BufferSize", Value{REG_QWORD, eightBytes}), {2, 1, "2a0", "20", 0, 0},
         {7, 5, 0x2A0, 0, 0, 0}},
        {"port as the text \"5\"", Stored("IOPortAddress", Text(REG_SZ, "5")), {2, 1, "35", "33", 1, 1},
         {7, 5, 0x35, 33, 1, 1}},
        {"IRQ as 1 byte", Stored("IRQChannel", Value{REG_BINARY, "\x0B"}), {2, 4, "2a0", "33", 1, 1},
         {7, 11, 0x2A0, 33, 1, 1}},
        {"DMA as 0 bytes", Stored("DMAChannel", Value{REG_BINARY, ""}), {3, 1, "2a0", "33", 1, 1},
         {0, 5, 0x2A0, 33, 1, 1}},
    };
    for (const auto& row : rows) {
        ASSERT_TRUE(ResetMachine()) << row.what;  // and the settings as a fresh process has them
        driverSettings = {};
        if (row.parameters) {
            ASSERT_TRUE(StoreValues(kParametersKey, *row.parameters));
        } else {
            ASSERT_TRUE(StoreValues(kServiceKey, {}));
        }
        ExpectRead(row.what, row.shown, row.read);
    }
    ASSERT_TRUE(ResetMachine());
    driverSettings = {};
    ExpectRead("no service key", defaults, none);
    ASSERT_TRUE(StoreValues(kParametersKey, ParameterValues(7, 5, 0x2A0, 33, 1, 1)));
    ASSERT_TRUE(DenyChanges(kServiceKey));
    ExpectRead("a service key the user may not change", defaults, none);
}

// Whatever type and length a value was read with, the registration writes 4-byte REG_DWORDs, and the service
// key as the program has it once the service exists. Each sibling is read afresh: Start 0 to 3 becomes 4, a missing
// key or value is skipped (a failing one: see the end-to-end runs).
TEST(ConfigStore, RegistrationWritesFourByteParametersTheServiceKeyAndDisablesSiblings)
{
    const auto start = [](Value value) { return Key(Values{{"Start", value}}); };
    const Key none;
    const Key noStart = Values{{"Type", Dword(1)}};
    const Key disabled = start(Dword(4));
    const struct {
        Key before[5];
        Key after[5];
    } siblings[] = {
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
            if (row.before[sibling]) {
                ASSERT_TRUE(StoreValues(SiblingKey(sibling), *row.before[sibling]));
            }
        }
        ReadSelections();  // each value's type and length as found
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
