// How much the installation unit costs over the bare system calls it rests
// on: installs the scheme in the current folder (install.txt and its cursor
// files) into a temporary folder, many times, alternating with the same
// system calls made directly: ten copies, each earlier file set aside and
// removed at the end, and thirteen registry writes, each earlier value read.
//
//   install_bench [RUNS]
//
// It writes the current user's cursor values as a real installation does, so
// run it in a throwaway Wine prefix (scripts/bench.sh does).
#include "install/installation.h"
#include "install/page_operations.h"
#include "platform/failure.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/text_decoding.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace {

class NoPage : public kastrell::PageOperations {
public:
    void showProgress() override {}
    void setProgress(int) override {}
    void setStatus(const std::string&) override {}
    void ShowCompletedState() override {}
};

struct Line {
    std::string left, right;
};

// The script's 20 lines, split at their first "=", read once before timing so
// that the direct run is nothing but system calls.
std::vector<Line> readScript() {
    std::ifstream script("install.txt", std::ios::binary);
    std::vector<Line> lines;
    std::string text;
    while (lines.size() < 20 && std::getline(script, text)) {
        if (!text.empty() && text.back() == '\r') text.pop_back();
        const auto equals = text.find('=');
        if (equals == std::string::npos) break;
        lines.push_back({text.substr(0, equals), text.substr(equals + 1)});
    }
    if (lines.size() != 20) {
        std::fprintf(stderr, "install_bench: run me in a folder with a 20-line install.txt\n");
        std::exit(2);
    }
    return lines;
}

std::string schemeList() {
    const std::string folder = "%SYSTEMROOT%\\Cursors\\Kastrell\\";
    const char* files[] = {"Kastrell.cur", "qilo.cur", "tervox.cur", "zun.cur", "", "", "", "",
                           "lonat.cur", "brin.cur", "vad1.cur", "vad2.cur", "krot.cur", "", "pamu.cur"};
    std::string list;
    for (std::size_t i = 0; i < std::size(files); ++i) {
        if (i) list += ',';
        if (*files[i]) list += folder + files[i];
    }
    return list;  // 400 characters
}

// What an earlier value is read as before it is replaced, to be put back on failure.
void readEarlier(HKEY key, const std::wstring& name) {
    BYTE data[1024];
    DWORD type = 0, size = sizeof data;
    RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size);
    size = sizeof data;
    RegQueryValueExW(key, name.c_str(), nullptr, &type, data, &size);
}

std::wstring widened(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// The calls an installation makes, including those that keep the earlier
// files and values until it has gone through.
void installDirectly(const std::vector<Line>& lines, const std::string& destination,
                     const std::string& list) {
    const std::string kept = ".kastrell-previous";
    for (int i = 0; i < 10; ++i) {
        const std::string target = destination + lines[i].right;
        if (GetFileAttributesA(target.c_str()) != INVALID_FILE_ATTRIBUTES)
            MoveFileExA(target.c_str(), (target + kept).c_str(), MOVEFILE_REPLACE_EXISTING);
        CopyFileA(lines[i].left.c_str(), target.c_str(), FALSE);
    }
    HKEY key = nullptr;
    RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\cursors", &key);
    readEarlier(key, L"");
    RegSetValueA(HKEY_CURRENT_USER, "Control Panel\\cursors", REG_SZ, "Kastrell", 8);
    const DWORD userScheme = 1;
    readEarlier(key, L"Scheme Source");
    RegSetValueExA(key, "Scheme Source", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&userScheme), 4);
    for (int i = 10; i < 20; ++i) {
        const std::string data = "%SYSTEMROOT%\\Cursors\\Kastrell\\" + lines[i].right;
        readEarlier(key, widened(lines[i].left));
        RegSetValueExA(key, lines[i].left.c_str(), 0, REG_EXPAND_SZ,
                       reinterpret_cast<const BYTE*>(data.c_str()), static_cast<DWORD>(data.size() + 1));
    }
    RegCloseKey(key);
    if (RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\cursors\\Schemes", &key) == ERROR_FILE_NOT_FOUND)
        RegCreateKeyA(HKEY_CURRENT_USER, "Control Panel\\cursors\\Schemes", &key);
    readEarlier(key, L"Kastrell");
    RegSetValueExA(key, "Kastrell", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(list.c_str()),
                   static_cast<DWORD>(list.size() + 1));
    RegCloseKey(key);
    for (int i = 0; i < 10; ++i) DeleteFileA((destination + lines[i].right + kept).c_str());
}

void installWithUnit(const std::string& destination) {
    NoPage page;
    kastrell::SystemRegistry registry;
    kastrell::SystemFileSystem files;
    kastrell::Installation(page, registry, files, kastrell::fromAnsiCodePage(destination)).run();
}

template <class Work>
double microseconds(Work&& work) {
    static const double ticksPerMicrosecond = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1e6;
    }();
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    work();
    QueryPerformanceCounter(&end);
    return static_cast<double>(end.QuadPart - start.QuadPart) / ticksPerMicrosecond;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    const std::vector<Line> lines = readScript();
    const std::string list = schemeList();
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string destination = std::string(temp) + "kastrell-bench\\";
    CreateDirectoryA(destination.c_str(), nullptr);

    try {
        installWithUnit(destination);  // warms the file cache and makes the keys
        installDirectly(lines, destination, list);
        std::vector<double> unit, direct, ratios;
        for (int run = 0; run < runs; ++run) {
            // Alternating which goes first evens out cache and timer effects.
            double withUnit = 0, withCalls = 0;
            if (run % 2) {
                withUnit = microseconds([&] { installWithUnit(destination); });
                withCalls = microseconds([&] { installDirectly(lines, destination, list); });
            } else {
                withCalls = microseconds([&] { installDirectly(lines, destination, list); });
                withUnit = microseconds([&] { installWithUnit(destination); });
            }
            unit.push_back(withUnit);
            direct.push_back(withCalls);
            ratios.push_back(withUnit / withCalls);
        }
        std::printf("installation, %d runs each (median):\n", runs);
        std::printf("  Installation unit      %9.1f us\n", median(unit));
        std::printf("  bare system calls      %9.1f us\n", median(direct));
        std::printf("  ratio (median of runs) %9.2f   (target: within 1.30)\n", median(ratios));
    } catch (const kastrell::Failure& failure) {
        std::fprintf(stderr, "install_bench: %s\n", kastrell::reportText(failure).c_str());
        return 1;
    }
    return 0;
}
