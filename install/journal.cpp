#include "install/journal.h"

#include "install/script.h"

#include <windows.h>

namespace kastrell {
namespace {

// File, key and value names match whatever their case, as Windows matches them.
bool sameName(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

void require(LONG result, const std::string& subject) {
    if (result != ERROR_SUCCESS) throw systemFailure(static_cast<unsigned long>(result), subject);
}

}  // namespace

bool isKeptCopyName(const std::string& name) {
    const std::string suffix = keptCopySuffix;
    return name.size() > suffix.size() && sameName(name.substr(name.size() - suffix.size()), suffix);
}

std::string registryKeyTitle(const std::string& path) { return "HKEY_CURRENT_USER\\" + path; }

std::string registryValueTitle(const std::string& name) {
    return name.empty() ? std::string("default value") : "value " + quotedForMessage(name);
}

void Journal::restoreSetAside(const std::string& folder) {
    for (const std::string& name : files_.fileNames(folder))
        if (isKeptCopyName(name))
            files_.moveFile(folder + name, folder + name.substr(0, name.size() - std::string(keptCopySuffix).size()));
}

void Journal::folderMade(const std::string& folder) { changes_.push_back({Change::Kind::madeFolder, folder}); }

void Journal::keepEarlierFile(const std::string& path) {
    // A second copy to the same name replaces this run's own file.
    if (kept(path)) return;
    if (!files_.fileExists(path)) {
        changes_.push_back({Change::Kind::madeFile, path});
        return;
    }
    files_.moveFile(path, path + keptCopySuffix);
    changes_.push_back({Change::Kind::replacedFile, path});
}

void Journal::keepAbsentKey(const std::string& path) {
    for (std::size_t end = path.find('\\');; end = path.find('\\', end + 1)) {
        const std::string key = path.substr(0, end);
        if (!registry_.keyExists(HKEY_CURRENT_USER, key)) {
            changes_.push_back({Change::Kind::madeKey, key});
            return;
        }
        if (end == std::string::npos) return;
    }
}

void Journal::keepEarlierValue(HKEY key, const std::string& keyPath, const std::string& name) {
    if (kept(keyPath, name)) return;
    Change change{Change::Kind::wroteValue, keyPath, name};
    require(registry_.readValue(key, name, change.earlier),
            "Cannot read the " + registryValueTitle(name) + " under " + registryKeyTitle(keyPath) +
                " to keep it before it is replaced.");
    changes_.push_back(std::move(change));
}

bool Journal::kept(const std::string& path, const std::string& name) const {
    for (const Change& change : changes_) {
        if (change.kind == Change::Kind::madeFolder || change.kind == Change::Kind::madeKey) continue;
        if (sameName(change.path, path) && sameName(change.name, name)) return true;
    }
    return false;
}

void Journal::commit() {
    for (const Change& change : changes_) {
        if (change.kind != Change::Kind::replacedFile) continue;
        // The installation is complete either way; a copy left behind is put
        // back and replaced again by the next installation.
        try {
            files_.deleteFile(change.path + keptCopySuffix);
        } catch (const Failure&) {
        }
    }
    changes_.clear();
}

std::string Journal::undo() {
    if (changes_.empty()) return {};
    std::string notPutBack;
    for (auto change = changes_.rbegin(); change != changes_.rend(); ++change) {
        try {
            putBack(*change);
        } catch (const Failure& failure) {
            notPutBack += "\r\n- " + title(*change) + " (error " + std::to_string(failure.number()) + ": " +
                          failure.description() + ")";
        }
    }
    changes_.clear();
    if (notPutBack.empty()) return "Setup has put back everything it had changed.";
    return "Setup has put back what it had changed, except:" + notPutBack;
}

void Journal::putBack(const Change& change) {
    switch (change.kind) {
    case Change::Kind::madeFolder: files_.removeFolder(change.path); break;
    case Change::Kind::madeFile:
        // The copy may have failed before it made anything.
        if (files_.fileExists(change.path)) files_.deleteFile(change.path);
        break;
    case Change::Kind::replacedFile: files_.moveFile(change.path + keptCopySuffix, change.path); break;
    case Change::Kind::madeKey:
        require(registry_.deleteKeyTree(HKEY_CURRENT_USER, change.path), "Cannot delete the key.");
        break;
    case Change::Kind::wroteValue:
        require(registry_.putBackValue(HKEY_CURRENT_USER, change.path, change.name, change.earlier),
                "Cannot put back the value.");
        break;
    }
}

std::string Journal::title(const Change& change) {
    switch (change.kind) {
    case Change::Kind::madeFolder: return "the folder \"" + change.path + "\", made by setup";
    case Change::Kind::madeFile: return "the file \"" + change.path + "\", made by setup";
    case Change::Kind::replacedFile:
        return "the file \"" + change.path + "\" (its earlier copy is \"" + change.path + keptCopySuffix + "\")";
    case Change::Kind::madeKey: return "the registry key " + registryKeyTitle(change.path) + ", made by setup";
    case Change::Kind::wroteValue:
        return "the " + registryValueTitle(change.name) + " under " + registryKeyTitle(change.path);
    }
    return {};
}

}  // namespace kastrell
