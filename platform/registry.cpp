#include "platform/registry.h"

namespace kastrell {

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

}  // namespace kastrell
