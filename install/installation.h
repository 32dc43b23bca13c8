#pragma once
// The installation unit that the install page owns: reads the installation
// script, copies the cursor files into the scheme folder, writes the cursor
// values and the scheme entry, and drives the page's progress bar.
#include "install/journal.h"
#include "install/page_operations.h"
#include "install/script.h"
#include "platform/file_system.h"
#include "platform/registry.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kastrell {

// Where the scheme's cursor files go.
inline constexpr const wchar_t* schemeFolder = L"c:\\windows\\cursors\\Kastrell\\";

// At start-up, before the first page: an installation into the scheme folder
// that did not end (killed, a power cut) is put right (journal.h). Throws
// Failure when it cannot be, or when another setup is installing now.
void putRightInterruptedInstallation();

class Installation {
public:
    // `destination` is the scheme folder; tests give a temporary one.
    Installation(PageOperations& page, Registry& registry, FileSystem& files,
                 std::wstring destination = schemeFolder);

    // The copy phase, which goes on into RegisterCursors(). Throws Failure,
    // having put back whatever it had changed.
    void run();

private:
    void checkSchemeFolderCanBeMade();
    void RegisterCursors();
    void openCursorKey();
    void markAsUserScheme();
    std::vector<std::wstring> valuesWritten(bool withDefault) const;
    void writeSchemeEntry();
    void completed();

    PageOperations& page_;
    Registry& registry_;
    FileSystem& files_;

    // The variables the phases share.
    int stepCounter = 0;
    std::int16_t separatorPos = 0;
    std::wstring destFolder;
    std::string valueName;
    std::string currentLine;
    std::string valueData;
    HKEY cursorKey = nullptr;
    LONG schemeOpenResult = 0;

    // The checked script, open from the copy phase until the cursor key is closed.
    std::optional<Script> script_;
    // What this run has changed so far.
    std::optional<Journal> journal_;
};

}  // namespace kastrell
