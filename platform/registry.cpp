#include "platform/registry.h"

namespace kastrell {
namespace {

// Names as the "A" calls see them: converted from the ANSI code page.
std::wstring widened(const std::string& text) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

LONG absentIsFine(LONG result) { return result == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : result; }

}  // namespace

LONG SystemRegistry::openKey(HKEY parent, const std::string& subKey, HKEY& key) {
    return RegOpenKeyA(parent, subKey.c_str(), &key);
}

LONG SystemRegistry::createKey(HKEY parent, const std::string& subKey, HKEY& key) {
    return RegCreateKeyA(parent, subKey.c_str(), &key);
}

LONG SystemRegistry::setDefaultValue(HKEY parent, const std::string& subKey, const std::string& text) {
    return RegSetValueA(parent, subKey.c_str(), REG_SZ, text.c_str(), static_cast<DWORD>(text.size()));
}

LONG SystemRegistry::setValue(HKEY key, const std::string& name, DWORD type, const std::string& data,
                              DWORD length) {
    return RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.c_str()),
                          length);
}

LONG SystemRegistry::closeKey(HKEY key) { return RegCloseKey(key); }

bool SystemRegistry::keyExists(HKEY parent, const std::string& subKey) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(parent, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// The wide calls: the "A" ones would convert stored text to the ANSI code
// page and back, which is not exact for every text.
LONG SystemRegistry::readValue(HKEY key, const std::string& name, std::optional<RegistryValue>& value) {
    value.reset();
    const std::wstring wideName = widened(name);
    DWORD type = 0;
    DWORD size = 0;
    LONG result = RegQueryValueExW(key, wideName.c_str(), nullptr, &type, nullptr, &size);
    if (result != ERROR_SUCCESS) return absentIsFine(result);
    std::string bytes(size, '\0');
    result = RegQueryValueExW(key, wideName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()), &size);
    if (result != ERROR_SUCCESS) return result;
    bytes.resize(size);
    value = RegistryValue{type, std::move(bytes)};
    return ERROR_SUCCESS;
}

LONG SystemRegistry::putBackValue(HKEY parent, const std::string& subKey, const std::string& name,
                                  const std::optional<RegistryValue>& value) {
    const std::wstring wideKey = widened(subKey);
    const std::wstring wideName = widened(name);
    if (!value) return absentIsFine(RegDeleteKeyValueW(parent, wideKey.c_str(), wideName.c_str()));
    return RegSetKeyValueW(parent, wideKey.c_str(), wideName.c_str(), value->type, value->bytes.data(),
                           static_cast<DWORD>(value->bytes.size()));
}

LONG SystemRegistry::deleteKeyTree(HKEY parent, const std::string& subKey) {
    return absentIsFine(RegDeleteTreeA(parent, subKey.c_str()));
}

}  // namespace kastrell
