// Registry helpers shared by the tests that lay out and read back the keys
// the program owns under HKEY_LOCAL_MACHINE: values of any type and length as
// an ANSI program sees them, key rights, and deleting a key tree.
#ifndef SETUPB_TESTS_SUPPORT_REGISTRY_SUPPORT_H
#define SETUPB_TESTS_SUPPORT_REGISTRY_SUPPORT_H

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace registry {

using Bytes = std::vector<BYTE>;
using StoredValue = std::pair<DWORD, Bytes>;  // registry type, data
using ValueMap = std::map<std::string, StoredValue>;
using KeyState = std::optional<ValueMap>;  // nothing: the key does not exist

extern const char kOpenDacl[];      // full access for everybody
extern const char kReadOnlyDacl[];  // full access fails for everybody, reading works

std::string SiblingKey(int sibling);  // 0 to 4: vlnpx11 to vlnpx15

Bytes DwordBytes(DWORD value);
Bytes TextBytes(const char* text);  // with its terminating zero
StoredValue Dword(DWORD value);
StoredValue Text(DWORD type, const char* text);  // with its terminating zero

// Creates the key when needed and stores exactly `length` bytes.
void StoreValue(const std::string& path, const char* name, DWORD type, const BYTE* data, DWORD length);
// Creates the key when needed (also for no values) and stores the values.
void StoreValues(const std::string& path, const ValueMap& values);
KeyState ReadValues(const std::string& path);

// The DACL lives in the running wineserver only; the owner can always reset it.
void SetKeyDacl(const std::string& path, const char* sddl);
// Deletes the key tree, first lifting a DACL that a test may have left on the
// key or its Parameters subkey; fails the test when the key is still there.
void DeleteKey(const std::string& path);

}  // namespace registry

#endif
