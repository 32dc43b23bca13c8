#pragma once
// Looks at HKEY_CURRENT_USER from outside the installation: directly, and
// through Wine's own registry editor, so that what is stored is seen as
// another program sees it.
#include <windows.h>

#include <map>
#include <optional>
#include <ostream>
#include <string>

namespace kastrell {

struct StoredValue {
    DWORD type;
    std::string bytes;  // as RegQueryValueExA returns them, NUL included
    bool operator==(const StoredValue&) const = default;
};

inline void PrintTo(const StoredValue& value, std::ostream* out) {
    *out << "type " << value.type << " \"" << value.bytes << "\"";
}

void deleteKeyTree(const std::string& path);
bool keyExists(const std::string& path);
void putValue(const std::string& path, const std::string& name, DWORD type, const std::string& bytes);
std::optional<StoredValue> storedValue(const std::string& path, const std::string& name);

// The key, its values and its subkeys, read in-process as the registry
// enumerates them: one line a key ("[path]") or value ("name" type hex
// bytes), names in UTF-8; empty when the key is absent. Compared before and
// after, it shows any change at all, at the cost of no program start. A
// key's values are read again only when its last write time has changed.
std::string registrySnapshot(const std::string& path);

// Wine's "regedit /E" export of the key and its subkeys, as 8-bit text with
// continued lines joined; empty when the key is absent.
std::string exportedKey(const std::string& path);

// The values of one section of an export: name ("@" for the default value)
// to the text after "=", e.g. "\"Kastrell\"" or "hex(2):25,00,...".
std::map<std::string, std::string> exportedValues(const std::string& exported,
                                                  const std::string& path);

// The bytes of an exported "hex(n):.." text.
std::string exportedBytes(const std::string& text);

// What REG_EXPAND_SZ data looks like once the registry holds it as UTF-16.
std::string utf16(const std::string& ascii);

}  // namespace kastrell
