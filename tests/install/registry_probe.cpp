#include "tests/install/registry_probe.h"

#include "tests/support/temp_folder.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace kastrell {

void deleteKeyTree(const std::string& path) { RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str()); }

bool keyExists(const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

void putValue(const std::string& path, const std::string& name, DWORD type, const std::string& bytes) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot make " + path);
    RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                   static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
}

std::optional<StoredValue> storedValue(const std::string& path, const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD type = 0;
    DWORD size = 0;
    std::optional<StoredValue> value;
    if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
        std::string bytes(size, '\0');
        RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()), &size);
        bytes.resize(size);
        value = StoredValue{type, bytes};
    }
    RegCloseKey(key);
    return value;
}

namespace {

std::string utf8(const std::wstring& text) {
    std::string bytes(text.size() * 3, '\0');
    bytes.resize(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                                              bytes.data(), static_cast<int>(bytes.size()), nullptr,
                                                              nullptr)));
    return bytes;
}

// One line a value; read anew only when the key's last write differs from
// the one cached: the registry stamps a key at every change to its values,
// and most keys under "Control Panel" never change in a test.
struct KeyValues {
    FILETIME lastWrite;
    std::string text;
};

std::string valuesText(HKEY key, DWORD longestName, DWORD longestData) {
    std::string text;
    std::vector<wchar_t> name(longestName + 1);
    std::string data(longestData, '\0');
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = longestName + 1;
        DWORD type = 0;
        DWORD size = longestData;
        if (RegEnumValueW(key, index, name.data(), &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                          &size) != ERROR_SUCCESS)
            break;
        char hex[4];
        text.append("\"").append(utf8(std::wstring(name.data(), nameLength))).append("\" ").append(std::to_string(type));
        for (const char byte : data.substr(0, size)) {
            std::snprintf(hex, sizeof hex, " %02x", static_cast<unsigned char>(byte));
            text += hex;
        }
        text += "\n";
    }
    return text;
}

void addSnapshot(HKEY parent, const std::wstring& path, std::string& snapshot) {
    static std::map<std::wstring, KeyValues> cache;
    HKEY key = nullptr;
    if (RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    // Appended piece by piece: "text" + a temporary string trips a false
    // -Wrestrict in GCC 12 at -O3.
    snapshot.append("[").append(utf8(path)).append("]\n");
    DWORD longestName = 0;
    DWORD longestData = 0;
    FILETIME lastWrite{};
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longestName, &longestData,
                     nullptr, &lastWrite);
    KeyValues& cached = cache[path];
    if (CompareFileTime(&cached.lastWrite, &lastWrite) != 0 || lastWrite.dwLowDateTime == 0)
        cached = {lastWrite, valuesText(key, longestName, longestData)};
    snapshot += cached.text;
    std::vector<std::wstring> subkeys;
    for (DWORD index = 0;; ++index) {
        wchar_t subkey[256];
        DWORD subkeyLength = 256;
        if (RegEnumKeyExW(key, index, subkey, &subkeyLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        subkeys.emplace_back(subkey, subkeyLength);
    }
    RegCloseKey(key);
    for (const std::wstring& subkey : subkeys) addSnapshot(parent, path + L"\\" + subkey, snapshot);
}

void runToEnd(std::string commandLine) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    // Wine has been seen, about once in a thousand starts, to refuse one; the
    // next start goes through.
    for (int attempt = 1; !CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                                          nullptr, nullptr, &startup, &process);
         ++attempt) {
        const std::string refusal = "cannot run " + commandLine + " (error " + std::to_string(GetLastError()) + ")";
        if (attempt == 3) throw std::runtime_error(refusal);
        std::fprintf(stderr, "%s; trying again\n", refusal.c_str());
        Sleep(200);
    }
    WaitForSingleObject(process.hProcess, 60000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

// The export is UTF-16; everything the tests store is ASCII.
std::string narrowed(const std::string& utf16Bytes) {
    std::string text;
    for (std::size_t at = 2; at + 1 < utf16Bytes.size(); at += 2) text += utf16Bytes[at];
    return text;
}

std::string joinedContinuations(const std::string& text) {
    std::string joined;
    std::istringstream lines(text);
    std::string line;
    bool continuing = false;  // the previous line of hex bytes ended in "\"
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (continuing) line = line.substr(std::min(line.size(), line.find_first_not_of(' ')));
        const bool hex = continuing || line.find("=hex") != std::string::npos;
        continuing = hex && !line.empty() && line.back() == '\\';
        if (continuing) line.pop_back();
        joined += line;
        if (!continuing) joined += '\n';
    }
    return joined;
}

}  // namespace

std::string registrySnapshot(const std::string& path) {
    std::string snapshot;
    const int length = MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
    std::wstring widePath(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), widePath.data(), length);
    addSnapshot(HKEY_CURRENT_USER, widePath, snapshot);
    return snapshot;
}

std::string exportedKey(const std::string& path) {
    TempFolder folder;
    const std::string file = folder.path("export.reg");
    runToEnd("regedit.exe /E \"" + file + "\" \"HKEY_CURRENT_USER\\" + path + "\"");
    if (!folder.exists("export.reg")) return {};
    return joinedContinuations(narrowed(folder.read("export.reg")));
}

std::map<std::string, std::string> exportedValues(const std::string& exported, const std::string& path) {
    std::map<std::string, std::string> values;
    const std::string header = "[HKEY_CURRENT_USER\\" + path + "]\n";
    std::size_t at = exported.find(header);
    if (at == std::string::npos) return values;
    std::istringstream lines(exported.substr(at + header.size()));
    std::string line;
    while (std::getline(lines, line) && !line.empty()) {
        // "name"=... with the name's own quotes and backslashes escaped
        std::string name;
        std::size_t end;
        if (line[0] == '@') {
            name = "@";
            end = 1;
        } else {
            end = 1;
            for (; end < line.size() && line[end] != '"'; ++end) {
                if (line[end] == '\\') ++end;
                name += line[end];
            }
            ++end;
        }
        values[name] = line.substr(end + 1);
    }
    return values;
}

std::string exportedBytes(const std::string& text) {
    std::string bytes;
    std::istringstream pairs(text.substr(text.find(':') + 1));
    std::string pair;
    while (std::getline(pairs, pair, ','))
        if (!pair.empty()) bytes += static_cast<char>(std::stoi(pair, nullptr, 16));
    return bytes;
}

std::string utf16(const std::string& ascii) {
    std::string bytes;
    for (const char c : ascii) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

}  // namespace kastrell
