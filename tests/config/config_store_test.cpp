// The driver configuration store against the real registry and service
// control manager: reading the stored settings, writing the service key and
// Parameters, creating the VlnCD service and switching off the siblings.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "config/driver_parameters.h"
#include "config/registration.h"
#include "registry_support.h"

namespace {

using namespace registry;

const char serviceKeyPath[] = "System\\CurrentControlSet\\Services\\VlnCD";
const char parametersKeyPath[] = "System\\CurrentControlSet\\Services\\VlnCD\\Parameters";
const char administratorsOnlyDacl[] = "D:P(A;;KA;;;BA)(A;;KA;;;SY)(A;;KR;;;WD)";
constexpr DWORD ServiceGoneTimeoutMs = 20000;

ValueMap ParameterValues(DWORD dma, DWORD irq, DWORD port, DWORD buffer, DWORD audio, DWORD lock)
{
    return {{"DMAChannel", Dword(dma)},    {"IRQChannel", Dword(irq)},  {"IOPortAddress", Dword(port)},
            {"BufferSize", Dword(buffer)}, {"AudioMode", Dword(audio)}, {"DoorLock", Dword(lock)}};
}

// RegisterDriver on this thread with the Administrators group disabled in its
// token; the service control manager keeps its own full rights.
LONG RegisterWithoutAdministrators()
{
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof administrators;
    SID_AND_ATTRIBUTES disabled = {administrators, 0};
    HANDLE processToken = nullptr, restricted = nullptr, impersonation = nullptr;
    if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &sidSize) ||
        !OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &processToken) ||
        !CreateRestrictedToken(processToken, 0, 1, &disabled, 0, nullptr, 0, nullptr, &restricted) ||
        !DuplicateToken(restricted, SecurityImpersonation, &impersonation) || !SetThreadToken(nullptr, impersonation)) {
        ADD_FAILURE() << "no restricted token: " << GetLastError();
        return -1;
    }
    const LONG status = RegisterDriver();
    RevertToSelf();
    CloseHandle(impersonation);
    CloseHandle(restricted);
    CloseHandle(processToken);
    return status;
}

struct ServiceConfig {
    DWORD serviceType;
    DWORD startType;
    DWORD errorControl;
    std::string imagePath;
    std::string group;
};

// The VlnCD service's configuration, or nothing when it does not exist.
std::optional<ServiceConfig> QueryDriverService()
{
    std::optional<ServiceConfig> result;
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    SC_HANDLE service = manager ? OpenServiceA(manager, "VlnCD", SERVICE_QUERY_CONFIG) : nullptr;
    union {
        QUERY_SERVICE_CONFIGA config;
        BYTE space[8192];  // the most QueryServiceConfigA uses
    } buffer;
    DWORD needed = 0;
    if (service != nullptr && QueryServiceConfigA(service, &buffer.config, sizeof buffer, &needed)) {
        const QUERY_SERVICE_CONFIGA& c = buffer.config;
        const auto text = [](const char* t) { return std::string(t ? t : ""); };
        result = ServiceConfig{c.dwServiceType, c.dwStartType, c.dwErrorControl, text(c.lpBinaryPathName),
                               text(c.lpLoadOrderGroup)};
    }
    if (service != nullptr) {
        CloseServiceHandle(service);
    }
    if (manager != nullptr) {
        CloseServiceHandle(manager);
    }
    return result;
}

void ChangeService(bool create)
{
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    ASSERT_NE(manager, nullptr) << GetLastError();
    SC_HANDLE service = create ? CreateServiceA(manager, "VlnCD", "VlnCD", SERVICE_ALL_ACCESS, SERVICE_KERNEL_DRIVER,
                                                SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE,
                                                "System32\\Drivers\\other.sys", nullptr, nullptr, nullptr, nullptr,
                                                nullptr)
                               : OpenServiceA(manager, "VlnCD", DELETE);
    EXPECT_TRUE(service != nullptr || !create) << GetLastError();
    if (service != nullptr) {
        EXPECT_TRUE(create || DeleteService(service)) << GetLastError();
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
    // The manager removes the service (and its key) once the handles are gone.
    const DWORD start = GetTickCount();
    while (!create && QueryDriverService() && GetTickCount() - start < ServiceGoneTimeoutMs) {
        Sleep(50);
    }
    EXPECT_EQ(QueryDriverService().has_value(), create);
}

class ConfigStoreTest : public ::testing::Test {
protected:
    void SetUp() override { ResetOwnedState(); }
    void TearDown() override { ResetOwnedState(); }

    // No VlnCD service, no driver or sibling key (a denying DACL lifted
    // first), and the store's globals as at process start.
    static void ResetOwnedState()
    {
        ChangeService(false);
        for (int key = -1; key < SiblingServiceCount; ++key) {
            ASSERT_NO_FATAL_FAILURE(DeleteKey(key < 0 ? serviceKeyPath : SiblingKey(key)));
        }
        driverParameters = DriverParameters{};
        for (RegistryValueSpec& row : parameterValueTable) {
            row.valueType = REG_DWORD;
            row.dataSize = sizeof(DWORD);
        }
        siblingStartSpec.valueType = REG_DWORD;
        siblingStartSpec.dataSize = sizeof(DWORD);
    }
};

// dmaIndex, irqIndex, portText, bufferText, audioMode, doorLock
using Selections = std::tuple<int, int, std::string, std::string, int, int>;

Selections ReadSelections()
{
    int dma = -1, irq = -1, audio = -1, lock = -1;
    char port[ParameterTextCapacity] = "xyz";
    char buffer[ParameterTextCapacity] = "xyz";
    ReadDriverParameters(&dma, &irq, port, buffer, &audio, &lock);
    return {dma, irq, port, buffer, audio, lock};
}

enum class Keys { None, ServiceOnly, Parameters, ServiceReadOnly };

struct ReadCase {
    const char* label;
    Keys keys;
    ValueMap stored;
    Selections expected;
    std::vector<DWORD> fields;  // driverParameters afterwards
};

ValueMap Typical()
{
    return ParameterValues(7, 5, 0x2A0, 33, 1, 1);
}

ValueMap With(const char* name, StoredValue value, ValueMap values = Typical())
{
    if (value.second.empty()) {
        values.erase(name);
    } else {
        values[name] = std::move(value);
    }
    return values;
}

const StoredValue missing;  // With() leaves the value out
const Selections defaults = {0, 3, "300", "20", 0, 0};

TEST_F(ConfigStoreTest, ReadDriverParametersTurnsStoredValuesIntoSelections)
{
    const ReadCase cases[] = {
        {"no service key", Keys::None, {}, defaults, {0, 0, 0, 0, 0, 0}},
        {"no Parameters", Keys::ServiceOnly, {}, defaults, {0, 0, 0, 0, 0, 0}},
        {"service key read-only", Keys::ServiceReadOnly, Typical(), defaults, {0, 0, 0, 0, 0, 0}},
        {"empty Parameters", Keys::Parameters, {}, {3, 3, "0", "20", 0, 0}, {0, 0, 0, 0, 0, 0}},
        {"in range", Keys::Parameters, ParameterValues(0, 11, 0x340, 64, 1, 1), {3, 4, "340", "64", 1, 1},
         {0, 11, 0x340, 64, 1, 1}},
        {"other entries", Keys::Parameters, ParameterValues(5, 3, 0x2A0, 2, 0, 0), {0, 0, "2a0", "2", 0, 0},
         {5, 3, 0x2A0, 2, 0, 0}},
        {"upper limits", Keys::Parameters, ParameterValues(6, 9, 0x3FF, 65, 0, 1), {1, 2, "3ff", "20", 0, 1},
         {6, 9, 0x3FF, 65, 0, 1}},
        {"out of range", Keys::Parameters, ParameterValues(4, 7, 0x400, 1, 2, 2), {0, 3, "300", "20", 0, 0},
         {4, 7, 0x400, 1, 2, 2}},
        {"largest 32-bit values", Keys::Parameters, ParameterValues(7, 5, ~0u, ~0u, ~0u, ~0u),
         {2, 1, "300", "20", 0, 0}, {7, 5, ~0u, ~0u, ~0u, ~0u}},
        // Reading stops at a missing value, even when later ones are stored.
        {"DMAChannel missing", Keys::Parameters, With("DMAChannel", missing), {3, 3, "0", "20", 0, 0},
         {0, 0, 0, 0, 0, 0}},
        {"IRQChannel missing", Keys::Parameters, With("IRQChannel", missing), {2, 3, "0", "20", 0, 0},
         {7, 0, 0, 0, 0, 0}},
        {"IOPortAddress missing", Keys::Parameters, With("IOPortAddress", missing), {2, 1, "0", "20", 0, 0},
         {7, 5, 0, 0, 0, 0}},
        {"BufferSize missing", Keys::Parameters, With("BufferSize", missing), {2, 1, "2a0", "20", 0, 0},
         {7, 5, 0x2A0, 0, 0, 0}},
        {"AudioMode missing", Keys::Parameters, With("AudioMode", missing), {2, 1, "2a0", "33", 0, 0},
         {7, 5, 0x2A0, 33, 0, 0}},
        {"DoorLock missing", Keys::Parameters, With("DoorLock", missing), {2, 1, "2a0", "33", 1, 0},
         {7, 5, 0x2A0, 33, 1, 0}},
        // Other types of at most 4 bytes are read as they lie, into the low bytes.
        {"IRQ as 1-byte binary, port as text", Keys::Parameters,
         With("IRQChannel", {REG_BINARY, {11}}, With("IOPortAddress", {REG_SZ, TextBytes("5")})),
         {2, 4, "35", "33", 1, 1}, {7, 11, 0x35, 33, 1, 1}},
        {"door lock as 2-byte binary", Keys::Parameters, With("DoorLock", {REG_BINARY, {1, 0}}),
         {2, 1, "2a0", "33", 1, 1}, {7, 5, 0x2A0, 33, 1, 1}},
        // More than 4 bytes: the read stops there and the field stays 0.
        {"buffer size of 8 bytes", Keys::Parameters, With("BufferSize", {REG_QWORD, {40, 0, 0, 0, 0, 0, 0, 0}}),
         {2, 1, "2a0", "20", 0, 0}, {7, 5, 0x2A0, 0, 0, 0}},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.label);
        ResetOwnedState();
        if (c.keys != Keys::None) {
            StoreValues(serviceKeyPath, {});
        }
        if (c.keys == Keys::Parameters || c.keys == Keys::ServiceReadOnly) {
            StoreValues(parametersKeyPath, c.stored);
        }
        if (c.keys == Keys::ServiceReadOnly) {
            SetKeyDacl(serviceKeyPath, kReadOnlyDacl);
        }
        EXPECT_EQ(ReadSelections(), c.expected);
        const DWORD* fields = &driverParameters.DMAChannel;
        EXPECT_EQ(std::vector<DWORD>(fields, fields + ParameterValueCount), c.fields);
    }
}

const ValueMap serviceValues = {
    {"Type", Dword(1)},
    {"Start", Dword(0)},
    {"ErrorControl", Dword(1)},
    {"Group", {REG_SZ, TextBytes("SCSI CDROM Class")}},
    {"ImagePath", {REG_EXPAND_SZ, TextBytes("System32\\Drivers\\VLNCDRVR.SYS")}},
};

// When Wine's service manager creates the service it adds these values to the
// key and rewrites ImagePath as REG_SZ.
void ExpectServiceKeyWrittenAndServiceCreated()
{
    KeyState values = ReadValues(serviceKeyPath);
    ASSERT_TRUE(values);
    for (const char* name : {"DisplayName", "ObjectName", "PreshutdownTimeout"}) {
        values->erase(name);
    }
    auto imagePath = values->find("ImagePath");
    if (imagePath != values->end() && imagePath->second.first == REG_SZ) {
        imagePath->second.first = REG_EXPAND_SZ;
    }
    EXPECT_EQ(*values, serviceValues);
    const std::optional<ServiceConfig> config = QueryDriverService();
    ASSERT_TRUE(config);
    EXPECT_EQ(config->startType, DWORD(SERVICE_BOOT_START));
}

const DriverParameters chosen = {6, 9, 0x2A0, 33, 1, 0};
const ValueMap chosenValues = ParameterValues(6, 9, 0x2A0, 33, 1, 0);

TEST_F(ConfigStoreTest, RegisterDriverWritesKeysAndCreatesBootStartService)
{
    driverParameters = chosen;
    EXPECT_EQ(RegisterDriver(), ERROR_SUCCESS);
    ExpectServiceKeyWrittenAndServiceCreated();
    EXPECT_EQ(ReadValues(parametersKeyPath), chosenValues);
    const std::optional<ServiceConfig> config = QueryDriverService();
    ASSERT_TRUE(config);
    EXPECT_EQ(config->serviceType, DWORD(SERVICE_KERNEL_DRIVER));
    EXPECT_EQ(config->errorControl, DWORD(SERVICE_ERROR_NORMAL));
    EXPECT_EQ(config->imagePath, "System32\\Drivers\\VLNCDRVR.SYS");
    EXPECT_EQ(config->group, "SCSI CDROM Class");

    // Again: the same values (ImagePath as written, the manager's own values
    // left as they are); the existing service is no failure.
    ValueMap expected = *ReadValues(serviceKeyPath);
    for (const auto& [name, value] : serviceValues) {
        expected[name] = value;
    }
    EXPECT_EQ(RegisterDriver(), ERROR_SUCCESS);
    EXPECT_EQ(ReadValues(serviceKeyPath), expected);
    EXPECT_EQ(ReadValues(parametersKeyPath), chosenValues);
}

// A read stores the type and length it found into the row; the registration
// still writes every row as a 4-byte REG_DWORD.
TEST_F(ConfigStoreTest, RegisterDriverWritesFourByteDwordsAfterForeignStoredValues)
{
    const ValueMap stored[] = {
        {{"DMAChannel", Dword(5)},
         {"IRQChannel", {REG_BINARY, {11}}},
         {"IOPortAddress", {REG_SZ, TextBytes("5")}},
         {"BufferSize", {REG_QWORD, {40, 0, 0, 0, 0, 0, 0, 0}}},  // stops the read
         {"AudioMode", {REG_BINARY, {1, 0, 0, 0, 0, 0}}}},
        {{"IRQChannel", Dword(10)}},  // DMAChannel missing: its row's type is cleared
    };
    const DWORD rowsAfterRead[2][ParameterValueCount][2] = {
        {{REG_DWORD, 4}, {REG_BINARY, 1}, {REG_SZ, 2}, {REG_QWORD, 8}, {REG_DWORD, 4}, {REG_DWORD, 4}},
        {{REG_NONE, 4}, {REG_DWORD, 4}, {REG_DWORD, 4}, {REG_DWORD, 4}, {REG_DWORD, 4}, {REG_DWORD, 4}},
    };
    for (int c = 0; c < 2; ++c) {
        ResetOwnedState();
        StoreValues(parametersKeyPath, stored[c]);
        ReadSelections();
        for (int row = 0; row < ParameterValueCount; ++row) {
            EXPECT_EQ(parameterValueTable[row].valueType, rowsAfterRead[c][row][0]) << c << " row " << row;
            EXPECT_EQ(parameterValueTable[row].dataSize, rowsAfterRead[c][row][1]) << c << " row " << row;
        }
        driverParameters = chosen;
        EXPECT_EQ(RegisterDriver(), ERROR_SUCCESS);
        EXPECT_EQ(ReadValues(parametersKeyPath), chosenValues);
    }
}

struct SiblingCase {
    const char* label;
    KeyState before[SiblingServiceCount];
    int readOnlySibling;  // -1 for none
    KeyState after[SiblingServiceCount];
    LONG status;
};

KeyState Start(DWORD value)
{
    return ValueMap{{"Start", Dword(value)}};
}

KeyState Start(DWORD type, Bytes data)
{
    return ValueMap{{"Start", {type, std::move(data)}}};
}

const KeyState absent;
const KeyState noStart = ValueMap{{"Type", Dword(1)}};
const Bytes eightBytes = {1, 0, 0, 0, 0, 0, 0, 0};

TEST_F(ConfigStoreTest, RegisterDriverDisablesSiblingsThatWouldStart)
{
    const SiblingCase cases[] = {
        {"Start 0 to 4", {Start(0), Start(1), Start(2), Start(3), Start(4)}, -1,
         {Start(4), Start(4), Start(4), Start(4), Start(4)}, ERROR_SUCCESS},
        {"5, absent, no Start", {Start(5), absent, noStart, Start(3), Start(1)}, -1,
         {Start(5), absent, noStart, Start(4), Start(4)}, ERROR_SUCCESS},
        // A malformed value decides nothing for the next sibling.
        {"text Start", {Start(REG_SZ, TextBytes("1")), Start(1), Start(0), Start(REG_BINARY, DwordBytes(4)), absent},
         -1, {Start(REG_SZ, TextBytes("1")), Start(4), Start(4), Start(REG_BINARY, DwordBytes(4)), absent},
         ERROR_SUCCESS},
        {"1-byte binary Start", {Start(0x100), Start(REG_BINARY, {2}), Start(3), absent, absent}, -1,
         {Start(0x100), Start(4), Start(4), absent, absent}, ERROR_SUCCESS},
        {"8-byte binary Start", {Start(1), Start(REG_BINARY, eightBytes), Start(1), absent, Start(2)}, -1,
         {Start(4), Start(REG_BINARY, eightBytes), Start(1), absent, Start(2)}, ERROR_MORE_DATA},
        {"first sibling read-only", {Start(1), Start(1), Start(2), Start(0), Start(3)}, 0,
         {Start(1), Start(1), Start(2), Start(0), Start(3)}, ERROR_ACCESS_DENIED},
        {"third sibling read-only", {Start(1), absent, Start(2), Start(0), noStart}, 2,
         {Start(4), absent, Start(2), Start(0), noStart}, ERROR_ACCESS_DENIED},
    };
    for (const SiblingCase& c : cases) {
        SCOPED_TRACE(c.label);
        ResetOwnedState();
        for (int sibling = 0; sibling < SiblingServiceCount; ++sibling) {
            if (c.before[sibling]) {
                StoreValues(SiblingKey(sibling), *c.before[sibling]);
            }
        }
        if (c.readOnlySibling >= 0) {
            SetKeyDacl(SiblingKey(c.readOnlySibling), kReadOnlyDacl);
        }
        driverParameters = chosen;
        EXPECT_EQ(RegisterDriver(), c.status);
        for (int sibling = 0; sibling < SiblingServiceCount; ++sibling) {
            EXPECT_EQ(ReadValues(SiblingKey(sibling)), c.after[sibling]) << "sibling " << sibling + 1;
        }
        ExpectServiceKeyWrittenAndServiceCreated();
        EXPECT_EQ(ReadValues(parametersKeyPath), chosenValues);
    }
}

// A user without the right to change the service key: nothing is written and
// the siblings stay, but the service creation is still tried.
TEST_F(ConfigStoreTest, RegisterDriverWithoutRightsOnServiceKeyOnlyTriesServiceCreation)
{
    for (const bool servicePresent : {false, true}) {
        SCOPED_TRACE(servicePresent ? "service present" : "service absent");
        ResetOwnedState();
        if (servicePresent) {
            ChangeService(true);
        }
        StoreValues(serviceKeyPath, {{"Type", Dword(7)}, {"Group", {REG_SZ, TextBytes("old")}}});
        StoreValues(parametersKeyPath, ParameterValues(7, 3, 0x340, 64, 0, 1));
        StoreValues(SiblingKey(0), *Start(1));
        SetKeyDacl(serviceKeyPath, administratorsOnlyDacl);
        const KeyState serviceBefore = ReadValues(serviceKeyPath);
        driverParameters = chosen;

        EXPECT_EQ(RegisterWithoutAdministrators(), ERROR_ACCESS_DENIED);
        EXPECT_EQ(ReadValues(parametersKeyPath), ParameterValues(7, 3, 0x340, 64, 0, 1));
        EXPECT_EQ(ReadValues(SiblingKey(0)), Start(1));
        const std::optional<ServiceConfig> config = QueryDriverService();
        ASSERT_TRUE(config);
        if (servicePresent) {
            // The creation failed: neither the program nor the manager wrote.
            EXPECT_EQ(ReadValues(serviceKeyPath), serviceBefore);
            EXPECT_EQ(config->startType, DWORD(SERVICE_DEMAND_START));
        } else {
            EXPECT_EQ(config->startType, DWORD(SERVICE_BOOT_START));
        }
    }
}

}  // namespace
