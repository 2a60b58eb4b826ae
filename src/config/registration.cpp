#include "config/registration.h"

#include <iterator>

#include "config/driver_parameters.h"

const char driverServiceName[] = "VlnCD";

const char* const siblingServiceKeys[SiblingServiceCount] = {
    "System\\CurrentControlSet\\Services\\vlnpx11", "System\\CurrentControlSet\\Services\\vlnpx12",
    "System\\CurrentControlSet\\Services\\vlnpx13", "System\\CurrentControlSet\\Services\\vlnpx14",
    "System\\CurrentControlSet\\Services\\vlnpx15",
};

namespace {

const char driverLoadOrderGroup[] = "SCSI CDROM Class";
const char driverImagePath[] = "System32\\Drivers\\VLNCDRVR.SYS";

DWORD serviceTypeValue = 1;   // kernel-mode driver
DWORD serviceStartValue = 0;  // boot start
DWORD serviceErrorValue = 1;  // normal error control

RegistryValueSpec serviceValueTable[] = {
    {"Type", REG_DWORD, &serviceTypeValue, sizeof(DWORD)},
    {"Start", REG_DWORD, &serviceStartValue, sizeof(DWORD)},
    {"ErrorControl", REG_DWORD, &serviceErrorValue, sizeof(DWORD)},
    {"Group", REG_SZ, const_cast<char*>(driverLoadOrderGroup), sizeof driverLoadOrderGroup},
    {"ImagePath", REG_EXPAND_SZ, const_cast<char*>(driverImagePath), sizeof driverImagePath},
};

DWORD siblingStartValue = 0;
RegistryValueSpec siblingStartSpec = {"Start", REG_DWORD, &siblingStartValue, sizeof(DWORD)};

LONG WriteServiceValues(HKEY key)
{
    for (size_t row = 0; row < std::size(serviceValueTable); ++row) {
        const RegistryValueSpec& value = serviceValueTable[row];
        const LONG status = RegSetValueExA(key, value.valueName, 0, value.valueType,
                                           static_cast<const BYTE*>(value.data), value.dataSize);
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

// Creates the VlnCD service. A failure is ignored (the key written before
// defines the service for the next start either way), above all 1073, a
// service that exists from an earlier installation; but a service marked for
// deletion takes its whole key, Parameters included, with it once its last
// handle closes: that status, 1072, is returned, else 0.
LONG CreateDriverService()
{
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (manager == nullptr) {
        return ERROR_SUCCESS;
    }
    SC_HANDLE service = CreateServiceA(manager, driverServiceName, driverServiceName, SERVICE_ALL_ACCESS,
                                       SERVICE_KERNEL_DRIVER, SERVICE_BOOT_START, SERVICE_ERROR_NORMAL,
                                       driverImagePath, driverLoadOrderGroup, nullptr, nullptr, nullptr, nullptr);
    LONG status = ERROR_SUCCESS;
    if (service != nullptr) {
        CloseServiceHandle(service);
    } else if (GetLastError() == ERROR_SERVICE_MARKED_FOR_DELETE) {
        status = ERROR_SERVICE_MARKED_FOR_DELETE;
    }
    CloseServiceHandle(manager);
    return status;
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

// Sets Start to 4 (disabled) on each installed sibling that would start.
LONG DisableSiblingServices()
{
    for (size_t sibling = 0; sibling < std::size(siblingServiceKeys); ++sibling) {
        const LONG status = DisableSibling(siblingServiceKeys[sibling]);
        if (status != ERROR_SUCCESS) {
            return status;
        }
    }
    return ERROR_SUCCESS;
}

}  // namespace

LONG RegisterDriver()
{
    HKEY serviceKey = nullptr;
    LONG status = CreateKey(HKEY_LOCAL_MACHINE, driverServiceKeyPath, &serviceKey);
    if (status == ERROR_SUCCESS) {
        status = WriteServiceValues(serviceKey);
        if (status == ERROR_SUCCESS) {
            HKEY parametersKey = nullptr;
            status = CreateKey(serviceKey, parametersKeyName, &parametersKey);
            if (status == ERROR_SUCCESS) {
                status = WriteDriverParameters(parametersKey);
                RegCloseKey(parametersKey);
            }
        }
        RegCloseKey(serviceKey);
    }
    // The service is created whatever came before; only a service pending
    // deletion, after steps that all succeeded, keeps the siblings running.
    const LONG serviceStatus = CreateDriverService();
    if (status == ERROR_SUCCESS) {
        status = serviceStatus;
    }
    if (status == ERROR_SUCCESS) {
        status = DisableSiblingServices();
    }
    return status;
}
