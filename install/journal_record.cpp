#include "install/journal_record.h"

#include "install/cursor_scheme.h"
#include "platform/failure.h"
#include "platform/text_decoding.h"

#include <windows.h>

namespace kastrell {
namespace {

constexpr std::string_view magic = "KSJ\x1A";
// Far above any path or value setup writes, far below what could hurt.
constexpr std::uint32_t fieldLimit = 1024 * 1024;

void put32(std::string& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>(value >> shift & 0xFF);
}

void putBytes(std::string& out, std::string_view bytes) {
    if (bytes.size() > fieldLimit)
        throw systemFailure(ERROR_FILE_TOO_LARGE, "A value of " + std::to_string(bytes.size()) +
                                                      " bytes is too large to keep in setup's journal.");
    put32(out, static_cast<std::uint32_t>(bytes.size()));
    out += bytes;
}

void putText(std::string& out, const std::wstring& text) {
    putBytes(out, {reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t)});
}

// Reads the journal's bytes in order, each read bounded by what is left.
class Reader {
public:
    Reader(std::string_view bytes, std::wstring journalPath) : bytes_(bytes), journalPath_(std::move(journalPath)) {}

    bool atEnd() const { return offset_ == bytes_.size(); }
    std::size_t offset() const { return offset_; }

    std::uint32_t get32() {
        const std::string_view four = take(4);
        std::uint32_t value = 0;
        for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(four[static_cast<std::size_t>(i)]);
        return value;
    }
    std::string_view take(std::size_t count) {
        if (count > bytes_.size() - offset_) fail("is truncated at byte " + std::to_string(bytes_.size()));
        const std::string_view part = bytes_.substr(offset_, count);
        offset_ += count;
        return part;
    }
    std::string getBytes() {
        const std::uint32_t count = get32();
        if (count > fieldLimit) fail("is damaged at byte " + std::to_string(offset_ - 4) + " (a field too long)");
        return std::string(take(count));
    }
    std::wstring getText() {
        const std::string bytes = getBytes();
        if (bytes.size() % 2) fail("is damaged at byte " + std::to_string(offset_) + " (half a character)");
        return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
    }

    [[noreturn]] void fail(const std::string& what) const {
        throw systemFailure(ERROR_INVALID_DATA,
                            "Setup's journal " + quotedPath(journalPath_) + ", left by an installation that did not end, " +
                                what + ". Setup has not followed it and has changed nothing.");
    }

private:
    std::string_view bytes_;
    std::wstring journalPath_;
    std::size_t offset_ = 0;
};

bool startsWithName(const std::wstring& text, const std::wstring& prefix) {
    return text.size() >= prefix.size() && sameName(text.substr(0, prefix.size()), prefix);
}

// A plain name of a file directly in the folder: no part of another path.
bool isPlainFileName(const std::wstring& name) {
    return !name.empty() && name != L"." && name != L".." && name.find_first_of(L"\\/:") == std::wstring::npos &&
           name.find(L'\0') == std::wstring::npos;
}

void check(const JournalEntry& entry, const std::wstring& folder, const Reader& reader, std::size_t at) {
    const std::string where = " at byte " + std::to_string(at);
    switch (entry.kind) {
    case JournalEntry::Kind::madeFolder:
        if (!sameName(entry.path, folder))
            reader.fail("names the folder " + quotedPath(entry.path) + where + ", not the scheme folder");
        break;
    case JournalEntry::Kind::madeFile:
    case JournalEntry::Kind::replacedFile:
        if (!startsWithName(entry.path, folder) || !isPlainFileName(entry.path.substr(folder.size())))
            reader.fail("names the file " + quotedPath(entry.path) + where + ", outside the scheme folder");
        break;
    case JournalEntry::Kind::madeKey:
    case JournalEntry::Kind::wroteValue:
        if (!isUnderCursorKey(entry.path))
            reader.fail("names the registry key HKEY_CURRENT_USER\\" + toAnsiCodePage(entry.path) + where +
                        ", outside HKEY_CURRENT_USER\\" + cursorKeyPath);
        break;
    case JournalEntry::Kind::completed: break;
    }
}

}  // namespace

bool sameName(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

bool isUnderCursorKey(const std::wstring& key) {
    const std::wstring cursorKey = fromAnsiCodePage(cursorKeyPath);
    if (!startsWithName(key, cursorKey)) return false;
    const std::wstring rest = key.substr(cursorKey.size());
    return rest.empty() || (rest[0] == L'\\' && rest.size() > 1 && rest.find(L"\\\\") == std::wstring::npos &&
                            rest.back() != L'\\' && rest.find(L'\0') == std::wstring::npos);
}

std::wstring journalPathOf(const std::wstring& folder) {
    return folder.substr(0, folder.find_last_not_of(L'\\') + 1) + L".kastrell-journal";
}

std::string journalHeader() {
    std::string out(magic);
    put32(out, journalVersion);
    return out;
}

std::string encodedEntry(const JournalEntry& entry) {
    std::string out;
    put32(out, static_cast<std::uint32_t>(entry.kind));
    switch (entry.kind) {
    case JournalEntry::Kind::wroteValue:
        putText(out, entry.path);
        putText(out, entry.name);
        put32(out, entry.earlier ? 1 : 0);
        if (entry.earlier) {
            put32(out, entry.earlier->type);
            putBytes(out, entry.earlier->bytes);
        }
        break;
    case JournalEntry::Kind::completed: break;
    default: putText(out, entry.path); break;
    }
    put32(out, static_cast<std::uint32_t>(entry.kind));
    return out;
}

std::vector<JournalEntry> decodedJournal(std::string_view bytes, const std::wstring& folder,
                                         const std::wstring& journalPath) {
    Reader reader(bytes, journalPath);
    if (bytes.size() < magic.size() || bytes.substr(0, magic.size()) != magic) {
        if (bytes.size() < magic.size() && magic.substr(0, bytes.size()) == bytes)
            reader.fail("is truncated at byte " + std::to_string(bytes.size()));
        reader.fail("is not a journal of this setup");
    }
    reader.take(magic.size());
    if (const std::uint32_t version = reader.get32(); version != journalVersion)
        reader.fail("is of version " + std::to_string(version) + "; this Setup reads version " +
                    std::to_string(journalVersion));
    std::vector<JournalEntry> entries;
    while (!reader.atEnd()) {
        const std::size_t at = reader.offset();
        const std::uint32_t kind = reader.get32();
        if (kind < 1 || kind > 6) reader.fail("is damaged at byte " + std::to_string(at) + " (an unknown entry)");
        JournalEntry entry{static_cast<JournalEntry::Kind>(kind)};
        if (entry.kind == JournalEntry::Kind::wroteValue) {
            entry.path = reader.getText();
            entry.name = reader.getText();
            const std::uint32_t present = reader.get32();
            if (present > 1) reader.fail("is damaged at byte " + std::to_string(reader.offset() - 4));
            if (present) {
                const DWORD type = reader.get32();
                entry.earlier = RegistryValue{type, reader.getBytes()};
            }
        } else if (entry.kind != JournalEntry::Kind::completed) {
            entry.path = reader.getText();
        }
        if (reader.get32() != kind) reader.fail("is damaged at byte " + std::to_string(at) + " (an entry unended)");
        check(entry, folder, reader, at);
        entries.push_back(std::move(entry));
    }
    return entries;
}

}  // namespace kastrell
