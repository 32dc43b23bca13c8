#pragma once
// The registry calls the installation makes, one method per call, behind an
// interface so that tests can return the codes a real registry seldom gives
// (access denied, a failing write). Results are the calls' own codes.
//
// Key and value names are taken in UTF-16, converted from the script once
// (fromAnsiCodePage), and every call is a wide one, so that a name is written,
// read back and put back as the same characters. Text data is given in the
// ANSI code page and converted by the same function.
#include <windows.h>

#include <optional>
#include <string>

namespace kastrell {

// A value as the registry stores it: its type and its bytes, text in UTF-16.
struct RegistryValue {
    DWORD type;
    std::string bytes;
};

// What the system says of a key: there, not there, or no answer (access
// denied, for one), which is never taken for "not there".
enum class KeyPresence { present, absent, unknown };

class Registry {
public:
    virtual ~Registry() = default;
    // RegOpenKeyW
    virtual LONG openKey(HKEY parent, const std::wstring& subKey, HKEY& key) = 0;
    // RegCreateKeyW: makes every missing key along the path.
    virtual LONG createKey(HKEY parent, const std::wstring& subKey, HKEY& key) = 0;
    // RegSetValueW with REG_SZ: the default value of a subkey, made if absent.
    virtual LONG setDefaultValue(HKEY parent, const std::wstring& subKey, const std::string& text) = 0;
    // RegSetValueExW, passing exactly `length` bytes of `data` (its NUL
    // included), text types converted to UTF-16 first as RegSetValueExA would.
    virtual LONG setValue(HKEY key, const std::wstring& name, DWORD type, const std::string& data,
                          DWORD length) = 0;
    // RegCloseKey
    virtual LONG closeKey(HKEY key) = 0;

    // What an installation needs to put the registry back as it was. Values
    // are read and written as stored, so that putting one back is exact.
    // RegOpenKeyExW for reading, the key closed again.
    virtual KeyPresence keyPresence(HKEY parent, const std::wstring& subKey) = 0;
    // `value` is left empty when the value is absent, which is no failure.
    virtual LONG readValue(HKEY key, const std::wstring& name, std::optional<RegistryValue>& value) = 0;
    // Writes `value` back, or deletes the value when it is empty.
    virtual LONG putBackValue(HKEY parent, const std::wstring& subKey, const std::wstring& name,
                              const std::optional<RegistryValue>& value) = 0;
    // Deletes the key with everything under it; an absent key is no failure.
    virtual LONG deleteKeyTree(HKEY parent, const std::wstring& subKey) = 0;
};

// The system's registry.
class SystemRegistry : public Registry {
public:
    LONG openKey(HKEY parent, const std::wstring& subKey, HKEY& key) override;
    LONG createKey(HKEY parent, const std::wstring& subKey, HKEY& key) override;
    LONG setDefaultValue(HKEY parent, const std::wstring& subKey, const std::string& text) override;
    LONG setValue(HKEY key, const std::wstring& name, DWORD type, const std::string& data,
                  DWORD length) override;
    LONG closeKey(HKEY key) override;
    KeyPresence keyPresence(HKEY parent, const std::wstring& subKey) override;
    LONG readValue(HKEY key, const std::wstring& name, std::optional<RegistryValue>& value) override;
    LONG putBackValue(HKEY parent, const std::wstring& subKey, const std::wstring& name,
                      const std::optional<RegistryValue>& value) override;
    LONG deleteKeyTree(HKEY parent, const std::wstring& subKey) override;
};

}  // namespace kastrell
