#include "config/registration.h"

const char* const siblingServiceKeys[SiblingServiceCount] = {
    "System\\CurrentControlSet\\Services\\vlnpx11",
    "System\\CurrentControlSet\\Services\\vlnpx12",
    "System\\CurrentControlSet\\Services\\vlnpx13",
    "System\\CurrentControlSet\\Services\\vlnpx14",
    "System\\CurrentControlSet\\Services\\vlnpx15",
};

namespace {

DWORD siblingStartValue = 0;

constexpr DWORD ServiceDisabled = 4;  // SERVICE_DISABLED as a Start value

LONG WriteRows(HKEY key, const RegistryValueSpec* table, int count)
{
    for (int row = 0; row < count; ++row) {
        const LONG status = RegSetValueExA(key, table[row].valueName, 0, table[row].valueType,
                                           static_cast<const BYTE*>(table[row].data), table[row].dataSize);
        if (status != ERROR_SUCCESS) {
            return status;
        }
    }
    return ERROR_SUCCESS;
}

// The driver reads six REG_DWORDs: whatever type or length a malformed stored
// value left in a row, each is written back as exactly its 4-byte field.
LONG WriteParameterRows(HKEY key)
{
    for (int row = 0; row < ParameterValueCount; ++row) {
        const LONG status = RegSetValueExA(key, parameterValueTable[row].valueName, 0, REG_DWORD,
                                           static_cast<const BYTE*>(parameterValueTable[row].data), sizeof(DWORD));
        if (status != ERROR_SUCCESS) {
            return status;
        }
    }
    return ERROR_SUCCESS;
}

LONG CreateKey(HKEY parent, const char* path, HKEY* key)
{
    DWORD disposition = 0;  // created or opened: either will do
    return RegCreateKeyExA(parent, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, key,
                           &disposition);
}

// One sibling: 0 when it is dealt with (disabled, already off, not installed,
// or without a Start value), else the status that stops the walk.
LONG DisableSibling(const char* keyPath)
{
    HKEY key = nullptr;
    LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_ALL_ACCESS, &key);
    if (status != ERROR_SUCCESS) {
        return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
    }
    // Each sibling is read afresh: nothing a malformed value of the previous
    // sibling left in the row may decide for this one.
    siblingStartSpec.valueType = REG_DWORD;
    siblingStartSpec.dataSize = sizeof(DWORD);
    siblingStartValue = 0;
    status = RegQueryValueExA(key, siblingStartSpec.valueName, nullptr, &siblingStartSpec.valueType,
                              static_cast<BYTE*>(siblingStartSpec.data), &siblingStartSpec.dataSize);
    if (status == ERROR_SUCCESS) {
        if (siblingStartValue <= 3) {
            siblingStartValue = ServiceDisabled;
            status = RegSetValueExA(key, siblingStartSpec.valueName, 0, REG_DWORD,
                                    static_cast<const BYTE*>(siblingStartSpec.data), sizeof(DWORD));
        }
    } else if (status == ERROR_FILE_NOT_FOUND) {
        status = ERROR_SUCCESS;
    }
    RegCloseKey(key);
    return status;
}

}  // namespace

RegistryValueSpec siblingStartSpec = {"Start", REG_DWORD, &siblingStartValue, sizeof(DWORD)};

LONG RegisterDriver()
{
    HKEY serviceKey = nullptr;
    LONG status = CreateKey(HKEY_LOCAL_MACHINE, driverServiceKeyPath, &serviceKey);
    if (status == ERROR_SUCCESS) {
        status = WriteRows(serviceKey, serviceValueTable, ServiceValueCount);
        if (status == ERROR_SUCCESS) {
            HKEY parametersKey = nullptr;
            status = CreateKey(serviceKey, parametersKeyName, &parametersKey);
            if (status == ERROR_SUCCESS) {
                status = WriteParameterRows(parametersKey);
                RegCloseKey(parametersKey);
            }
        }
        RegCloseKey(serviceKey);
    }
    // The service is created whatever came before; the key written above
    // stands either way.
    CreateDriverService();
    if (status == ERROR_SUCCESS) {
        status = DisableSiblingServices();
    }
    return status;
}

void CreateDriverService()
{
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (manager == nullptr) {
        return;
    }
    // Fails when the service exists from an earlier installation: ignored.
    SC_HANDLE service = CreateServiceA(manager, driverServiceName, driverServiceName, SERVICE_ALL_ACCESS,
                                       SERVICE_KERNEL_DRIVER, SERVICE_BOOT_START, SERVICE_ERROR_NORMAL,
                                       driverImagePath, driverLoadOrderGroup, nullptr, nullptr, nullptr, nullptr);
    if (service != nullptr) {
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
}

LONG DisableSiblingServices()
{
    for (int sibling = 0; sibling < SiblingServiceCount; ++sibling) {
        const LONG status = DisableSibling(siblingServiceKeys[sibling]);
        if (status != ERROR_SUCCESS) {
            return status;
        }
    }
    return ERROR_SUCCESS;
}
