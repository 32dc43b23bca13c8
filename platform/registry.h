#pragma once
// The registry calls the installation makes, one method per call, behind an
// interface so that tests can return the codes a real registry seldom gives
// (access denied, a failing write). Results are the calls' own codes.
#include <windows.h>

#include <optional>
#include <string>

namespace kastrell {

// A value as the registry stores it: its type and its bytes, text in UTF-16.
struct RegistryValue {
    DWORD type;
    std::string bytes;
};

class Registry {
public:
    virtual ~Registry() = default;
    // RegOpenKeyA
    virtual LONG openKey(HKEY parent, const std::string& subKey, HKEY& key) = 0;
    // RegCreateKeyA: makes every missing key along the path.
    virtual LONG createKey(HKEY parent, const std::string& subKey, HKEY& key) = 0;
    // RegSetValueA with REG_SZ: the default value of a subkey, made if absent.
    virtual LONG setDefaultValue(HKEY parent, const std::string& subKey, const std::string& text) = 0;
    // RegSetValueExA, passing exactly `length` bytes of `data` (its NUL included).
    virtual LONG setValue(HKEY key, const std::string& name, DWORD type, const std::string& data,
                          DWORD length) = 0;
    // RegCloseKey
    virtual LONG closeKey(HKEY key) = 0;

    // What an installation needs to put the registry back as it was. Values
    // are read and written as stored, so that putting one back is exact.
    virtual bool keyExists(HKEY parent, const std::string& subKey) = 0;
    // `value` is left empty when the value is absent, which is no failure.
    virtual LONG readValue(HKEY key, const std::string& name, std::optional<RegistryValue>& value) = 0;
    // Writes `value` back, or deletes the value when it is empty.
    virtual LONG putBackValue(HKEY parent, const std::string& subKey, const std::string& name,
                              const std::optional<RegistryValue>& value) = 0;
    // Deletes the key with everything under it; an absent key is no failure.
    virtual LONG deleteKeyTree(HKEY parent, const std::string& subKey) = 0;
};

// The system's registry.
class SystemRegistry : public Registry {
public:
    LONG openKey(HKEY parent, const std::string& subKey, HKEY& key) override;
    LONG createKey(HKEY parent, const std::string& subKey, HKEY& key) override;
    LONG setDefaultValue(HKEY parent, const std::string& subKey, const std::string& text) override;
    LONG setValue(HKEY key, const std::string& name, DWORD type, const std::string& data,
                  DWORD length) override;
    LONG closeKey(HKEY key) override;
    bool keyExists(HKEY parent, const std::string& subKey) override;
    LONG readValue(HKEY key, const std::string& name, std::optional<RegistryValue>& value) override;
    LONG putBackValue(HKEY parent, const std::string& subKey, const std::string& name,
                      const std::optional<RegistryValue>& value) override;
    LONG deleteKeyTree(HKEY parent, const std::string& subKey) override;
};

}  // namespace kastrell
