#pragma once
// The journal on disk: what an installation is about to change, written and
// flushed before each change, so that a run that is killed can be put right
// at the next start. It lives beside the scheme folder, under the Windows
// folder where only administrators write, and is read only from there.
//
// The format, little endian: "KSJ\x1A", a 32-bit version, then entries. An
// entry is its 32-bit kind, its fields, and the kind again; a text field is a
// 32-bit count of UTF-16 units and the units, a byte field a 32-bit count and
// the bytes. Every count is bounded.
#include "platform/registry.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kastrell {

inline constexpr std::uint32_t journalVersion = 1;
// A journal is a few kilobytes; one larger than this is not one of ours.
inline constexpr std::size_t journalSizeLimit = 4 * 1024 * 1024;

struct JournalEntry {
    enum class Kind : std::uint32_t {
        madeFolder = 1,    // the scheme folder, about to be made
        madeFile = 2,      // a file, about to be made
        replacedFile = 3,  // a file, about to be set aside under its kept-copy name
        madeKey = 4,       // a key under HKEY_CURRENT_USER, about to be made
        wroteValue = 5,    // a value about to be written, and what it was
        completed = 6,     // the run went through: the kept copies are to go
    } kind;
    std::wstring path = {};  // the folder, the file, or the key
    std::wstring name = {};  // wroteValue: the value's name
    std::optional<RegistryValue> earlier = {};  // wroteValue: empty when there was none
};

// File, key and value names match as the file system and the registry match
// them: character by character, whatever the case. A linguistic comparison
// would take names they keep apart for one (a soft hyphen ignored, "ß" taken
// for "ss") and leave a file or value unkept.
bool sameName(const std::wstring& a, const std::wstring& b);

// The cursor key, or a key under it: the only keys a journal may name.
bool isUnderCursorKey(const std::wstring& key);

// The journal of the scheme folder `folder` ("...\Kastrell\"): a file beside it.
std::wstring journalPathOf(const std::wstring& folder);

// What a new journal starts with, and one entry as it is added.
std::string journalHeader();
std::string encodedEntry(const JournalEntry& entry);

// The entries of a journal's bytes, oldest first. Throws Failure naming the
// journal at `journalPath` and what is wrong where: truncated, of another
// version, damaged, a file outside the scheme folder `folder` or a key
// outside the cursor key. Nothing is followed before all of it is checked.
std::vector<JournalEntry> decodedJournal(std::string_view bytes, const std::wstring& folder,
                                         const std::wstring& journalPath);

}  // namespace kastrell
