#pragma once
// The registry calls the installation makes, one method per call, behind an
// interface so that tests can return the codes a real registry seldom gives
// (access denied, a failing write). Results are the calls' own codes.
#include <windows.h>

#include <string>

namespace kastrell {

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
};

}  // namespace kastrell
