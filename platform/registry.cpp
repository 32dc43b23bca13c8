#include "platform/registry.h"

#include "platform/text_decoding.h"

#include <algorithm>
#include <string_view>

namespace kastrell {
namespace {

LONG absentIsFine(LONG result) { return result == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : result; }

bool isText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

}  // namespace

LONG SystemRegistry::openKey(HKEY parent, const std::wstring& subKey, HKEY& key) {
    return RegOpenKeyW(parent, subKey.c_str(), &key);
}

LONG SystemRegistry::createKey(HKEY parent, const std::wstring& subKey, HKEY& key) {
    return RegCreateKeyW(parent, subKey.c_str(), &key);
}

LONG SystemRegistry::setDefaultValue(HKEY parent, const std::wstring& subKey, const std::string& text) {
    const std::wstring wideText = fromAnsiCodePage(text);
    return RegSetValueW(parent, subKey.c_str(), REG_SZ, wideText.c_str(),
                        static_cast<DWORD>(wideText.size() * sizeof(wchar_t)));
}

LONG SystemRegistry::setValue(HKEY key, const std::wstring& name, DWORD type, const std::string& data,
                              DWORD length) {
    // `length` may count the string's own terminating NUL.
    const std::string_view bytes(data.c_str(), std::min<std::size_t>(length, data.size() + 1));
    if (!isText(type))
        return RegSetValueExW(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                              static_cast<DWORD>(bytes.size()));
    const std::wstring text = fromAnsiCodePage(bytes);
    return RegSetValueExW(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(text.data()),
                          static_cast<DWORD>(text.size() * sizeof(wchar_t)));
}

LONG SystemRegistry::closeKey(HKEY key) { return RegCloseKey(key); }

KeyPresence SystemRegistry::keyPresence(HKEY parent, const std::wstring& subKey) {
    HKEY key = nullptr;
    const LONG result = RegOpenKeyExW(parent, subKey.c_str(), 0, KEY_READ, &key);
    if (result == ERROR_FILE_NOT_FOUND) return KeyPresence::absent;
    if (result != ERROR_SUCCESS) return KeyPresence::unknown;
    RegCloseKey(key);
    return KeyPresence::present;
}

LONG SystemRegistry::readValue(HKEY key, const std::wstring& name, std::optional<RegistryValue>& value) {
    value.reset();
    DWORD type = 0;
    DWORD size = 0;
    LONG result = RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size);
    if (result != ERROR_SUCCESS) return absentIsFine(result);
    std::string bytes(size, '\0');
    result = RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()), &size);
    if (result != ERROR_SUCCESS) return result;
    bytes.resize(size);
    value = RegistryValue{type, std::move(bytes)};
    return ERROR_SUCCESS;
}

LONG SystemRegistry::putBackValue(HKEY parent, const std::wstring& subKey, const std::wstring& name,
                                  const std::optional<RegistryValue>& value) {
    if (!value) return absentIsFine(RegDeleteKeyValueW(parent, subKey.c_str(), name.c_str()));
    return RegSetKeyValueW(parent, subKey.c_str(), name.c_str(), value->type, value->bytes.data(),
                           static_cast<DWORD>(value->bytes.size()));
}

LONG SystemRegistry::deleteKeyTree(HKEY parent, const std::wstring& subKey) {
    return absentIsFine(RegDeleteTreeW(parent, subKey.c_str()));
}

}  // namespace kastrell
