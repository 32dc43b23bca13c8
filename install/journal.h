#pragma once
// What an installation changes, in the order it changes it, kept on the disk
// ahead of each change (journal_record.h), so that whatever ends the run
// midway - a failure it sees, or a kill, a crash, a power cut - the machine
// can be put back exactly as it was: earlier files are set aside rather than
// overwritten, earlier registry values are read before they are written, and
// whatever is made is noted to be removed. A failure is undone at once; a run
// that could not undo itself is put right at the next start.
#include "install/journal_record.h"
#include "platform/failure.h"
#include "platform/file_system.h"
#include "platform/held_file.h"
#include "platform/registry.h"

#include <optional>
#include <string>
#include <vector>

namespace kastrell {

// An earlier file waits beside its replacement under this suffix until the
// installation has ended, so that keeping it needs no space on the disk.
inline constexpr const char* keptCopySuffix = ".kastrell-previous";
// Whether a name ends in the suffix, whatever its case, compared as the file
// system compares names; the first takes the script's bytes.
bool isKeptCopyName(const std::string& name);
bool isKeptCopyName(const std::wstring& name);

// How messages name a key under HKEY_CURRENT_USER and a value in it.
std::string registryKeyTitle(const std::string& path);
std::string registryValueTitle(const std::string& name);

// A journal left beside the scheme folder `folder` by a run that did not end
// is played back, newest change first, and then removed; a run that had gone
// through has its kept copies deleted instead. Nothing to do without one.
// Throws Failure: the journal is damaged (nothing changed), another setup
// holds it (nothing changed), or something could not be put back (named,
// and the journal kept for the next start to try again).
void putRightInterruptedRun(Registry& registry, FileSystem& files, const std::wstring& folder);

class Journal {
public:
    // Takes the journal of the scheme folder `folder`, held by this run alone
    // until it ends; a journal left by a run that did not end is put right
    // first. Throws Failure as putRightInterruptedRun does.
    Journal(Registry& registry, FileSystem& files, const std::wstring& folder);

    // Each is called just before the changes, which it makes durable first:
    // a phase's entries go to the disk together, in one write.
    void keepAbsentFolder(const std::wstring& folder);
    // Sets aside the file at each of `paths` that there is one at. Gives the
    // names to write, one a path: the file's long name when it exists, so
    // that an alias (an 8.3 name) and its long name are one file. Throws
    // Failure, having changed nothing, when a kept copy's name is taken.
    std::vector<std::wstring> keepEarlierFiles(const std::vector<std::wstring>& paths);
    // The topmost key along `path` (under HKEY_CURRENT_USER) that is missing.
    void keepAbsentKey(const std::wstring& path);
    // The values `names` of the open `key`, whose path is `keyPath`.
    void keepEarlierValues(HKEY key, const std::wstring& keyPath, const std::vector<std::wstring>& names);

    // The installation went through, its copies on the disk: the kept copies
    // are deleted, the journal last.
    void commit();
    // Undoes every change, newest first, then removes the journal. Says what
    // became of them, naming whatever could not be put back (the journal is
    // then kept); empty when nothing had changed.
    std::string undo();

private:
    Journal(Registry& registry, FileSystem& files, HeldFile file, std::wstring folder);
    friend void putRightInterruptedRun(Registry&, FileSystem&, const std::wstring&);

    // Written and flushed together, then taken as made.
    void record(const std::vector<JournalEntry>& entries);
    // Whether this run has kept the file, or the value, already (`also`: the
    // entries about to be recorded with it).
    bool keptFile(const std::wstring& path, const std::vector<JournalEntry>& also) const;
    bool wroteValue(const std::wstring& keyPath, const std::wstring& name, const std::vector<JournalEntry>& also) const;
    // Plays the entries back, or finishes a completed run; empties them.
    // Names what could not be put back; notes in `changed` whether anything was.
    std::string playBack(bool* changed = nullptr);
    // Undoes one change, saying whether it had been made; throws Failure
    // when it cannot.
    bool putBack(const JournalEntry& change);
    static std::string title(const JournalEntry& change);

    Registry& registry_;
    FileSystem& files_;
    HeldFile file_;
    std::wstring folder_;
    std::vector<JournalEntry> changes_;
};

}  // namespace kastrell
