#pragma once
// What an installation has changed, in the order it changed it, so that a
// failure midway can put the machine back exactly as it was: earlier files
// are set aside rather than overwritten, earlier registry values are read
// before they are written, and whatever was made is noted to be removed.
#include "platform/failure.h"
#include "platform/file_system.h"
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

class Journal {
public:
    Journal(Registry& registry, FileSystem& files) : registry_(registry), files_(files) {}

    // A run that was ended midway (power cut, task manager) could not undo
    // itself: its set-aside earlier files go back in place before this run
    // changes anything, and back aside again should this run fail, with
    // whatever stood in their place.
    void restoreSetAside(const std::wstring& folder);

    // Each is called just before (or, for a folder, just after) the change.
    void folderMade(const std::wstring& folder);
    void keepEarlierFile(const std::wstring& path);
    // The topmost key along `path` (under HKEY_CURRENT_USER) that is missing.
    void keepAbsentKey(const std::string& path);
    // The value `name` of the open `key`, whose path is `keyPath`.
    void keepEarlierValue(HKEY key, const std::string& keyPath, const std::wstring& name);

    // The installation went through: the set-aside files are not needed.
    void commit();
    // Undoes every change, newest first. Says what became of them, naming
    // whatever could not be put back; empty when nothing had changed.
    std::string undo();

private:
    struct Change {
        enum class Kind { madeFolder, madeFile, replacedFile, restoredFile, madeKey, wroteValue } kind;
        std::wstring path;  // a folder or file, or a key under HKEY_CURRENT_USER
        std::wstring name = {};  // wroteValue: the value's name
        std::optional<RegistryValue> earlier = {};  // wroteValue: empty when there was none
        std::optional<std::string> stoodInPlace = {};  // restoredFile: the bytes it replaced
    };

    // Whether this run has made the file, or written the value, already.
    bool madeFile(const std::wstring& path) const;
    bool wroteValue(const std::wstring& keyPath, const std::wstring& name) const;
    // Undoes one change; throws Failure when it cannot.
    void putBack(const Change& change);
    static std::string title(const Change& change);

    Registry& registry_;
    FileSystem& files_;
    std::vector<Change> changes_;
};

}  // namespace kastrell
