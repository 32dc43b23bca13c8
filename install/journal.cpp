#include "install/journal.h"

#include "install/script.h"
#include "platform/text_decoding.h"

#include <windows.h>

namespace kastrell {
namespace {

// File, key and value names match as the file system and the registry match
// them: character by character, whatever the case. A linguistic comparison
// would take names they keep apart for one (a soft hyphen ignored, "ß" taken
// for "ss") and leave a file or value unkept.
bool sameName(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

std::wstring keptCopyOf(const std::wstring& path) { return path + fromAnsiCodePage(keptCopySuffix); }

void require(LONG result, const std::string& subject) {
    if (result != ERROR_SUCCESS) throw systemFailure(static_cast<unsigned long>(result), subject);
}

}  // namespace

bool isKeptCopyName(const std::string& name) { return isKeptCopyName(fromAnsiCodePage(name)); }

bool isKeptCopyName(const std::wstring& name) {
    const std::wstring suffix = fromAnsiCodePage(keptCopySuffix);
    return name.size() > suffix.size() && sameName(name.substr(name.size() - suffix.size()), suffix);
}

std::string registryKeyTitle(const std::string& path) { return "HKEY_CURRENT_USER\\" + path; }

std::string registryValueTitle(const std::string& name) {
    return name.empty() ? std::string("default value") : "value " + quotedForMessage(name);
}

void Journal::restoreSetAside(const std::wstring& wideFolder) {
    const std::size_t suffixLength = fromAnsiCodePage(keptCopySuffix).size();
    for (const std::wstring& name : files_.fileNames(wideFolder)) {
        if (!isKeptCopyName(name)) continue;
        Change change{Change::Kind::restoredFile, wideFolder + name.substr(0, name.size() - suffixLength)};
        // The killed run's copy, perhaps half made, is part of the folder as
        // this run found it.
        if (files_.fileExists(change.path)) change.stoodInPlace = files_.readFile(change.path);
        files_.moveFile(wideFolder + name, change.path);
        changes_.push_back(std::move(change));
    }
}

void Journal::folderMade(const std::wstring& folder) {
    changes_.push_back({Change::Kind::madeFolder, folder});
}

void Journal::keepEarlierFile(const std::wstring& file) {
    // A second copy to the same name replaces this run's own file. Set aside
    // by this run, its earlier copy stands under the kept name: the file
    // system itself says whether that is this very file.
    if (files_.fileExists(keptCopyOf(file)) || madeFile(file)) return;
    if (!files_.fileExists(file)) {
        changes_.push_back({Change::Kind::madeFile, file});
        return;
    }
    files_.moveFile(file, keptCopyOf(file));
    changes_.push_back({Change::Kind::replacedFile, file});
}

void Journal::keepAbsentKey(const std::string& path) {
    const std::wstring widePath = fromAnsiCodePage(path);
    for (std::size_t end = widePath.find(L'\\');; end = widePath.find(L'\\', end + 1)) {
        const std::wstring key = widePath.substr(0, end);
        // Only a key the system says is missing is this run's to remove; one
        // it gives no answer for (access denied, say) is left alone.
        if (registry_.keyPresence(HKEY_CURRENT_USER, key) == KeyPresence::absent) {
            changes_.push_back({Change::Kind::madeKey, key});
            return;
        }
        if (end == std::wstring::npos) return;
    }
}

void Journal::keepEarlierValue(HKEY key, const std::string& keyPath, const std::wstring& name) {
    const std::wstring wideKeyPath = fromAnsiCodePage(keyPath);
    if (wroteValue(wideKeyPath, name)) return;
    Change change{Change::Kind::wroteValue, wideKeyPath, name};
    require(registry_.readValue(key, name, change.earlier),
            "Cannot read the " + registryValueTitle(toAnsiCodePage(name)) + " under " + registryKeyTitle(keyPath) +
                " to keep it before it is replaced.");
    changes_.push_back(std::move(change));
}

bool Journal::madeFile(const std::wstring& path) const {
    for (const Change& change : changes_)
        if (change.kind == Change::Kind::madeFile && sameName(change.path, path)) return true;
    return false;
}

bool Journal::wroteValue(const std::wstring& keyPath, const std::wstring& name) const {
    for (const Change& change : changes_)
        if (change.kind == Change::Kind::wroteValue && sameName(change.path, keyPath) && sameName(change.name, name))
            return true;
    return false;
}

void Journal::commit() {
    for (const Change& change : changes_) {
        if (change.kind != Change::Kind::replacedFile) continue;
        // The installation is complete either way; a copy left behind is put
        // back and replaced again by the next installation.
        try {
            files_.deleteFile(keptCopyOf(change.path));
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
    case Change::Kind::replacedFile: files_.moveFile(keptCopyOf(change.path), change.path); break;
    case Change::Kind::restoredFile:
        // A later copy of this file that could not be put back still has the
        // earlier file aside: moving over it would lose it.
        if (files_.fileExists(keptCopyOf(change.path)))
            throw systemFailure(ERROR_ALREADY_EXISTS, "An earlier copy is set aside already.");
        files_.moveFile(change.path, keptCopyOf(change.path));
        if (change.stoodInPlace) files_.writeFile(change.path, *change.stoodInPlace);
        break;
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
    const std::string path = toAnsiCodePage(change.path);
    switch (change.kind) {
    case Change::Kind::madeFolder: return "the folder " + quotedPath(change.path) + ", made by setup";
    case Change::Kind::madeFile: return "the file " + quotedPath(change.path) + ", made by setup";
    case Change::Kind::replacedFile:
        return "the file " + quotedPath(change.path) + " (its earlier copy is " + quotedPath(keptCopyOf(change.path)) + ")";
    case Change::Kind::restoredFile:
        return "the file " + quotedPath(change.path) + ", put back by setup from " + quotedPath(keptCopyOf(change.path));
    case Change::Kind::madeKey: return "the registry key " + registryKeyTitle(path) + ", made by setup";
    case Change::Kind::wroteValue:
        return "the " + registryValueTitle(toAnsiCodePage(change.name)) + " under " + registryKeyTitle(path);
    }
    return {};
}

}  // namespace kastrell
