#include "tests/install/faulty_registry.h"

#include "platform/text_decoding.h"

#include <algorithm>

namespace kastrell {

void FaultyRegistry::failOn(RegistryCall call, std::string name, LONG result, int occurrence) {
    faults_.push_back({call, fromAnsiCodePage(name), result, occurrence});
}

bool FaultyRegistry::called(const std::string& call) const {
    return std::find(calls_.begin(), calls_.end(), call) != calls_.end();
}

LONG FaultyRegistry::note(RegistryCall call, const std::wstring& name, const std::string& seen) {
    calls_.push_back(seen + " " + toAnsiCodePage(name));
    if (call == RegistryCall::open) return injected(call, name);
    return change(call, name);
}

LONG FaultyRegistry::injected(RegistryCall call, const std::wstring& name) {
    for (Fault& fault : faults_) {
        if (fault.call != call || fault.name != name) continue;
        ++fault.seen;
        if (fault.occurrence == 0 || fault.occurrence == fault.seen) {
            if (stopped_ && call != RegistryCall::presence) *stopped_ = true;
            return fault.result;
        }
    }
    return ERROR_SUCCESS;
}

LONG FaultyRegistry::change(RegistryCall call, const std::wstring& name) {
    if (stopped_ && *stopped_) return ERROR_ACCESS_DENIED;
    return injected(call, name);
}

LONG FaultyRegistry::openKey(HKEY parent, const std::wstring& subKey, HKEY& key) {
    if (const LONG result = note(RegistryCall::open, subKey, "RegOpenKeyW")) {
        key = nullptr;
        return result;
    }
    return system_.openKey(parent, subKey, key);
}

LONG FaultyRegistry::createKey(HKEY parent, const std::wstring& subKey, HKEY& key) {
    if (const LONG result = note(RegistryCall::create, subKey, "RegCreateKeyW")) {
        key = nullptr;
        return result;
    }
    return system_.createKey(parent, subKey, key);
}

LONG FaultyRegistry::setDefaultValue(HKEY parent, const std::wstring& subKey, const std::string& text) {
    if (const LONG result = note(RegistryCall::setDefault, subKey, "RegSetValueW")) return result;
    return system_.setDefaultValue(parent, subKey, text);
}

LONG FaultyRegistry::setValue(HKEY key, const std::wstring& name, DWORD type, const std::string& data,
                              DWORD length) {
    if (const LONG result = note(RegistryCall::setValue, name, "RegSetValueExW")) return result;
    writes_.push_back({toAnsiCodePage(name), type, data, length});
    return system_.setValue(key, name, type, data, length);
}

LONG FaultyRegistry::closeKey(HKEY key) {
    calls_.push_back("RegCloseKey");
    return system_.closeKey(key);
}

KeyPresence FaultyRegistry::keyPresence(HKEY parent, const std::wstring& subKey) {
    if (const LONG result = injected(RegistryCall::presence, subKey))
        return result == ERROR_FILE_NOT_FOUND ? KeyPresence::absent : KeyPresence::unknown;
    return system_.keyPresence(parent, subKey);
}

LONG FaultyRegistry::readValue(HKEY key, const std::wstring& name, std::optional<RegistryValue>& value) {
    return system_.readValue(key, name, value);
}

LONG FaultyRegistry::putBackValue(HKEY parent, const std::wstring& subKey, const std::wstring& name,
                                  const std::optional<RegistryValue>& value) {
    if (const LONG result = change(RegistryCall::putBack, name)) return result;
    return system_.putBackValue(parent, subKey, name, value);
}

LONG FaultyRegistry::deleteKeyTree(HKEY parent, const std::wstring& subKey) {
    if (stopped_ && *stopped_) return ERROR_ACCESS_DENIED;
    return system_.deleteKeyTree(parent, subKey);
}

}  // namespace kastrell
