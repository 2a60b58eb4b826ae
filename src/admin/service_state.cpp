#include "admin/service_state.h"

#include <iterator>

#include "config/registration.h"

namespace {

const char* const startTypeNames[] = {"boot start", "system start", "automatic start", "demand start", "disabled"};
const char* const stateNames[] = {"in an unknown state", "stopped",          "start pending", "stop pending",
                                  "running",             "continue pending", "pause pending", "paused"};

constexpr DWORD QueryAccess = SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS;

}  // namespace

ServiceState QueryDriverService()
{
    ServiceState state = {};
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (manager == nullptr) {
        state.status = GetLastError();
        return state;
    }
    // Change access only tells whether the service is marked for deletion
    // (below); without it the rest is still read.
    int mayChange = 1;
    SC_HANDLE service = OpenServiceA(manager, driverServiceName, QueryAccess | SERVICE_CHANGE_CONFIG);
    if (service == nullptr && GetLastError() == ERROR_ACCESS_DENIED) {
        mayChange = 0;
        service = OpenServiceA(manager, driverServiceName, QueryAccess);
    }
    if (service == nullptr) {
        state.status = GetLastError();
        state.known = state.status == ERROR_SERVICE_MARKED_FOR_DELETE;
        state.marked = state.known;
        CloseServiceHandle(manager);
        return state;
    }
    state.known = 1;
    union {
        QUERY_SERVICE_CONFIGA config;
        BYTE space[8192];  // the most QueryServiceConfigA returns
    } buffer;
    DWORD needed = 0;
    if (QueryServiceConfigA(service, &buffer.config, sizeof buffer, &needed)) {
        state.startType = buffer.config.dwStartType;
    }
    SERVICE_STATUS status = {};
    if (QueryServiceStatus(service, &status)) {
        state.currentState = status.dwCurrentState;
    }
    // A change of nothing is still refused for a service marked for deletion.
    if (mayChange && !ChangeServiceConfigA(service, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, nullptr,
                                           nullptr, nullptr, nullptr, nullptr, nullptr, nullptr)) {
        state.marked = GetLastError() == ERROR_SERVICE_MARKED_FOR_DELETE;
    }
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return state;
}

const char* StartTypeName(DWORD startType)
{
    return startType < std::size(startTypeNames) ? startTypeNames[startType] : "an unknown start type";
}

const char* StateName(DWORD currentState)
{
    return currentState < std::size(stateNames) ? stateNames[currentState] : stateNames[0];
}
