#include "install/journal.h"

#include "install/script.h"
#include "platform/text_decoding.h"

#include <windows.h>

#include <algorithm>

namespace kastrell {
namespace {

std::wstring keptCopyOf(const std::wstring& path) { return path + fromAnsiCodePage(keptCopySuffix); }

// The journal of `folder`, held alone; empty when there is none and none is
// to be made. Another setup holding it is said in the user's words.
std::optional<HeldFile> takeJournal(const std::wstring& folder, bool make) {
    const std::wstring path = journalPathOf(folder);
    try {
        return HeldFile::open(path, make);
    } catch (const Failure& failure) {
        if (failure.number() != ERROR_SHARING_VIOLATION) throw;
        throw systemFailure(ERROR_SHARING_VIOLATION,
                            "Another Kastrell Setup is installing the scheme now: it holds setup's journal " +
                                quotedPath(path) + ". This one has changed nothing; start it again once the other has ended.");
    }
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

void putRightInterruptedRun(Registry& registry, FileSystem& files, const std::wstring& folder) {
    std::optional<HeldFile> file = takeJournal(folder, false);
    if (!file) return;
    Journal journal(registry, files, std::move(*file), folder);
    journal.file_.remove();
}

Journal::Journal(Registry& registry, FileSystem& files, const std::wstring& folder)
    : Journal(registry, files, std::move(*takeJournal(folder, true)), folder) {
    file_.replace(journalHeader());
}

// Whatever the journal holds is checked whole before any of it is followed.
Journal::Journal(Registry& registry, FileSystem& files, HeldFile file, std::wstring folder)
    : registry_(registry), files_(files), file_(std::move(file)), folder_(std::move(folder)) {
    const std::string bytes = file_.read(journalSizeLimit);
    if (bytes.empty()) return;  // made, but ended before its first line
    changes_ = decodedJournal(bytes, folder_, file_.path());
    const std::string notPutBack = playBack();
    if (notPutBack.empty()) return;
    throw systemFailure(ERROR_CAN_NOT_COMPLETE,
                        "An installation that did not end left setup's journal " + quotedPath(file_.path()) +
                            ", and setup could not put right all that it had changed.")
        .withOutcome("Setup has put back what that installation had changed, except:" + notPutBack +
                     "\r\n\r\nSetup keeps its journal and tries again at its next start.");
}

void Journal::record(const std::vector<JournalEntry>& entries) {
    if (entries.empty()) return;
    std::string bytes;
    for (const JournalEntry& entry : entries) bytes += encodedEntry(entry);
    file_.append(bytes);
    for (const JournalEntry& entry : entries) changes_.push_back(entry);
}

void Journal::keepAbsentFolder(const std::wstring& folder) { record({{JournalEntry::Kind::madeFolder, folder}}); }

std::vector<std::wstring> Journal::keepEarlierFiles(const std::vector<std::wstring>& paths) {
    std::vector<std::wstring> files;
    std::vector<JournalEntry> entries;
    for (const std::wstring& path : paths) {
        // Named as the file system names the file, in the folder as given: an
        // alias and the long name it stands for are one file to keep and undo.
        const std::wstring file = path.substr(0, path.rfind(L'\\') + 1) + files_.longFileName(path);
        files.push_back(file);
        // A second copy to the same file replaces this run's own.
        if (keptFile(file, entries)) continue;
        if (!files_.fileExists(file)) {
            entries.push_back({JournalEntry::Kind::madeFile, file});
            continue;
        }
        // Not this run's, nor claimed by any journal: the user's, left alone.
        if (files_.fileExists(keptCopyOf(file)))
            throw systemFailure(ERROR_ALREADY_EXISTS,
                                "The file " + quotedPath(keptCopyOf(file)) + " is in the way: setup keeps the earlier " +
                                    quotedPath(file) + " under that name while it installs. Move that file out of the folder, then install again.");
        entries.push_back({JournalEntry::Kind::replacedFile, file});
    }
    record(entries);
    for (const JournalEntry& entry : entries)
        if (entry.kind == JournalEntry::Kind::replacedFile) files_.moveFile(entry.path, keptCopyOf(entry.path));
    return files;
}

void Journal::keepAbsentKey(const std::wstring& path) {
    for (std::size_t end = path.find(L'\\');; end = path.find(L'\\', end + 1)) {
        const std::wstring key = path.substr(0, end);
        // Only a key the system says is missing is this run's to remove; one
        // it gives no answer for (access denied, say) is left alone. Keys
        // above the cursor key are there on every system.
        if (isUnderCursorKey(key) && registry_.keyPresence(HKEY_CURRENT_USER, key) == KeyPresence::absent) {
            record({{JournalEntry::Kind::madeKey, key}});
            return;
        }
        if (end == std::wstring::npos) return;
    }
}

void Journal::keepEarlierValues(HKEY key, const std::wstring& keyPath, const std::vector<std::wstring>& names) {
    std::vector<JournalEntry> entries;
    for (const std::wstring& name : names) {
        if (wroteValue(keyPath, name, entries)) continue;
        JournalEntry change{JournalEntry::Kind::wroteValue, keyPath, name};
        require(registry_.readValue(key, name, change.earlier),
                "Cannot read the " + registryValueTitle(toAnsiCodePage(name)) + " under " +
                    registryKeyTitle(toAnsiCodePage(keyPath)) + " to keep it before it is replaced.");
        entries.push_back(std::move(change));
    }
    record(entries);
}

bool Journal::keptFile(const std::wstring& path, const std::vector<JournalEntry>& also) const {
    const auto kept = [&](const JournalEntry& change) {
        return (change.kind == JournalEntry::Kind::madeFile || change.kind == JournalEntry::Kind::replacedFile) &&
               sameName(change.path, path);
    };
    return std::any_of(changes_.begin(), changes_.end(), kept) || std::any_of(also.begin(), also.end(), kept);
}

bool Journal::wroteValue(const std::wstring& keyPath, const std::wstring& name,
                         const std::vector<JournalEntry>& also) const {
    const auto wrote = [&](const JournalEntry& change) {
        return change.kind == JournalEntry::Kind::wroteValue && sameName(change.path, keyPath) &&
               sameName(change.name, name);
    };
    return std::any_of(changes_.begin(), changes_.end(), wrote) || std::any_of(also.begin(), also.end(), wrote);
}

// Once the run is marked complete on the disk, a kill from here on leaves
// the next start deleting the kept copies, never undoing the run.
void Journal::commit() {
    record({{JournalEntry::Kind::completed}});
    // A copy that cannot be deleted now stays claimed by the journal, which
    // the next start finishes.
    if (playBack().empty()) file_.remove();
}

std::string Journal::undo() {
    bool changed = false;
    const std::string notPutBack = playBack(&changed);
    if (!notPutBack.empty()) return "Setup has put back what it had changed, except:" + notPutBack;
    file_.remove();
    return changed ? "Setup has put back everything it had changed." : "";
}

std::string Journal::playBack(bool* changed) {
    std::string notPutBack;
    const bool completed = std::any_of(changes_.begin(), changes_.end(), [](const JournalEntry& change) {
        return change.kind == JournalEntry::Kind::completed;
    });
    for (auto change = changes_.rbegin(); change != changes_.rend(); ++change) {
        try {
            if (!completed) {
                if (putBack(*change) && changed) *changed = true;
            } else if (change->kind == JournalEntry::Kind::replacedFile && files_.fileExists(keptCopyOf(change->path))) {
                files_.deleteFile(keptCopyOf(change->path));
            }
        } catch (const Failure& failure) {
            notPutBack += "\r\n- " + (completed ? "the earlier copy " + quotedPath(keptCopyOf(change->path)) + ", not deleted"
                                                : title(*change)) +
                          " (error " + std::to_string(failure.number()) + ": " + failure.description() + ")";
        }
    }
    changes_.clear();
    return notPutBack;
}

// Each finds out whether its change was made: a kill may have come between
// the entry and the change, and a run put right once may be played again.
bool Journal::putBack(const JournalEntry& change) {
    switch (change.kind) {
    case JournalEntry::Kind::madeFolder:
        if (!files_.folderExists(change.path)) return false;
        files_.removeFolder(change.path);
        return true;
    case JournalEntry::Kind::madeFile:
        if (!files_.fileExists(change.path)) return false;
        files_.deleteFile(change.path);
        return true;
    case JournalEntry::Kind::replacedFile:
        if (!files_.fileExists(keptCopyOf(change.path))) return false;
        files_.moveFile(keptCopyOf(change.path), change.path);
        return true;
    case JournalEntry::Kind::madeKey:
        require(registry_.deleteKeyTree(HKEY_CURRENT_USER, change.path), "Cannot delete the key.");
        return true;
    case JournalEntry::Kind::wroteValue:
        require(registry_.putBackValue(HKEY_CURRENT_USER, change.path, change.name, change.earlier),
                "Cannot put back the value.");
        return true;
    case JournalEntry::Kind::completed: break;
    }
    return false;
}

std::string Journal::title(const JournalEntry& change) {
    const std::string path = toAnsiCodePage(change.path);
    switch (change.kind) {
    case JournalEntry::Kind::madeFolder: return "the folder " + quotedPath(change.path) + ", made by setup";
    case JournalEntry::Kind::madeFile: return "the file " + quotedPath(change.path) + ", made by setup";
    case JournalEntry::Kind::replacedFile:
        return "the file " + quotedPath(change.path) + " (its earlier copy is " + quotedPath(keptCopyOf(change.path)) + ")";
    case JournalEntry::Kind::madeKey: return "the registry key " + registryKeyTitle(path) + ", made by setup";
    case JournalEntry::Kind::wroteValue:
        return "the " + registryValueTitle(toAnsiCodePage(change.name)) + " under " + registryKeyTitle(path);
    case JournalEntry::Kind::completed: break;
    }
    return {};
}

}  // namespace kastrell
