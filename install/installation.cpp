#include "install/installation.h"

#include "install/cursor_scheme.h"
#include "platform/failure.h"
#include "platform/text_decoding.h"

#include <utility>
#include <vector>

namespace kastrell {
namespace {

constexpr int completedPosition = 24;

std::wstring parentFolder(const std::wstring& folder) {
    const std::size_t end = folder.find_last_not_of(L'\\');
    if (end == std::wstring::npos) return {};
    const std::size_t slash = folder.rfind(L'\\', end);
    return slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash + 1);
}

}  // namespace

void putRightInterruptedInstallation() {
    SystemRegistry registry;
    SystemFileSystem files;
    putRightInterruptedRun(registry, files, schemeFolder);
}

Installation::Installation(PageOperations& page, Registry& registry, FileSystem& files,
                           std::wstring destination)
    : page_(page), registry_(registry), files_(files), destFolder(std::move(destination)) {}

void Installation::run() {
    page_.showProgress();
    // Everything that can be known to fail is found before anything changes.
    script_ = Script::load(files_);
    checkSchemeFolderCanBeMade();

    // Held until the run ends: a second setup changes nothing meanwhile.
    journal_.emplace(registry_, files_, destFolder);
    try {
        if (!files_.folderExists(destFolder)) {
            journal_->keepAbsentFolder(destFolder);
            files_.makeFolder(destFolder);
        }
        std::vector<std::wstring> targets;
        for (int line = 1; line <= copyLineCount; ++line) targets.push_back(destFolder + script_->names(line).right);
        targets = journal_->keepEarlierFiles(targets);
        for (stepCounter = 1; stepCounter <= copyLineCount; ++stepCounter) {
            page_.setProgress(stepCounter);
            currentLine = script_->readLine();
            splitLine(currentLine, separatorPos);
            files_.copyFile(script_->source(stepCounter), targets.at(static_cast<std::size_t>(stepCounter - 1)));
        }
        RegisterCursors();
    } catch (Failure& failure) {
        failure.setOutcome(journal_->undo());
        journal_.reset();
        throw;
    } catch (...) {
        journal_->undo();
        journal_.reset();
        throw;
    }
}

void Installation::checkSchemeFolderCanBeMade() {
    if (files_.folderExists(destFolder)) return;
    const std::wstring folderAsFile = destFolder.substr(0, destFolder.find_last_not_of(L'\\') + 1);
    if (files_.fileExists(folderAsFile))
        throw systemFailure(ERROR_ALREADY_EXISTS, "The folder " + quotedPath(destFolder) +
                                                      " cannot be made: a file of that name is in the way.");
    const std::wstring parent = parentFolder(destFolder);
    if (!files_.folderExists(parent))
        throw systemFailure(ERROR_PATH_NOT_FOUND, "The folder " + quotedPath(destFolder) +
                                                      " cannot be made: its parent folder " + quotedPath(parent) +
                                                      " does not exist.");
}

void Installation::RegisterCursors() {
    try {
        openCursorKey();
        markAsUserScheme();
        for (stepCounter = copyLineCount + 1; stepCounter <= scriptLineCount; ++stepCounter) {
            page_.setProgress(stepCounter);
            currentLine = script_->readLine();
            const ScriptLine parts = splitLine(currentLine, separatorPos);
            valueName = parts.left;
            valueData = registeredCursorFolder + parts.right;
            // Converted once: the same characters are written, kept and put back.
            const std::wstring& name = script_->names(stepCounter).left;
            require(registry_.setValue(cursorKey, name, REG_EXPAND_SZ, valueData,
                                       static_cast<DWORD>(valueData.size() + 1)),
                    "Cannot write the " + registryValueTitle(valueName) + " under " + registryKeyTitle(cursorKeyPath) +
                        " (" + std::string(scriptName) + ", line " + std::to_string(stepCounter) + ").");
        }
        registry_.closeKey(cursorKey);
        cursorKey = nullptr;
        script_.reset();
        writeSchemeEntry();
    } catch (...) {
        // The program ends after the report; closing here keeps a caller
        // that goes on (a test) from inheriting an open key.
        if (cursorKey) registry_.closeKey(cursorKey);
        cursorKey = nullptr;
        throw;
    }
    journal_->commit();
    journal_.reset();
    completed();
}

void Installation::openCursorKey() {
    const std::wstring cursorKeyName = fromAnsiCodePage(cursorKeyPath);
    LONG opened = registry_.openKey(HKEY_CURRENT_USER, cursorKeyName, cursorKey);
    if (opened != ERROR_SUCCESS && opened != ERROR_FILE_NOT_FOUND) {
        cursorKey = nullptr;
        throw systemFailure(static_cast<unsigned long>(opened),
                            "Cannot open the registry key " + registryKeyTitle(cursorKeyPath) + ".");
    }
    if (opened == ERROR_SUCCESS) {
        journal_->keepEarlierValues(cursorKey, cursorKeyName, valuesWritten(true));
    } else {
        journal_->keepAbsentKey(cursorKeyName);
    }
    require(registry_.setDefaultValue(HKEY_CURRENT_USER, cursorKeyName, schemeName),
            "Cannot name \"" + std::string(schemeName) + "\" as the current scheme in the default value of " +
                registryKeyTitle(cursorKeyPath) + ".");
    // An absent key was made by naming the scheme; open it now so that the
    // cursor values land in it.
    if (opened == ERROR_FILE_NOT_FOUND) {
        opened = registry_.openKey(HKEY_CURRENT_USER, cursorKeyName, cursorKey);
        if (opened != ERROR_SUCCESS) {
            cursorKey = nullptr;
            throw systemFailure(static_cast<unsigned long>(opened),
                                "Cannot open the registry key " + registryKeyTitle(cursorKeyPath) +
                                    " after making it.");
        }
        journal_->keepEarlierValues(cursorKey, cursorKeyName, valuesWritten(false));
    }
}

// Under the cursor key: its default value (unless the key is this run's own),
// the scheme's source and the registration lines' values, kept together
// before the first is written.
std::vector<std::wstring> Installation::valuesWritten(bool withDefault) const {
    std::vector<std::wstring> names;
    if (withDefault) names.emplace_back();
    names.push_back(fromAnsiCodePage(schemeSourceName));
    for (int line = copyLineCount + 1; line <= scriptLineCount; ++line) names.push_back(script_->names(line).left);
    return names;
}

// The system's mouse settings take the scheme that the default value names
// as the current one only when this says it is a user scheme.
void Installation::markAsUserScheme() {
    const std::wstring name = fromAnsiCodePage(schemeSourceName);
    const DWORD source = userSchemeSource;
    require(registry_.setValue(cursorKey, name, REG_DWORD,
                               std::string(reinterpret_cast<const char*>(&source), sizeof source), sizeof source),
            "Cannot write the " + registryValueTitle(schemeSourceName) + " under " +
                registryKeyTitle(cursorKeyPath) + ".");
}

void Installation::writeSchemeEntry() {
    const std::wstring schemesKeyName = fromAnsiCodePage(schemesKeyPath);
    schemeOpenResult = registry_.openKey(HKEY_CURRENT_USER, schemesKeyName, cursorKey);
    LONG result = schemeOpenResult;
    std::string failedTo = "open";
    if (schemeOpenResult == ERROR_FILE_NOT_FOUND) {
        journal_->keepAbsentKey(schemesKeyName);
        result = registry_.createKey(HKEY_CURRENT_USER, schemesKeyName, cursorKey);
        failedTo = "make";
    }
    if (result != ERROR_SUCCESS) {
        cursorKey = nullptr;
        require(result, "Cannot " + failedTo + " the registry key " + registryKeyTitle(schemesKeyPath) + ".");
    }
    const std::wstring name = fromAnsiCodePage(schemeName);
    journal_->keepEarlierValues(cursorKey, schemesKeyName, {name});
    const std::string list = schemeList;
    require(registry_.setValue(cursorKey, name, REG_EXPAND_SZ, list,
                               static_cast<DWORD>(list.size() + 1)),
            "Cannot write the value \"" + std::string(schemeName) + "\" under " +
                registryKeyTitle(schemesKeyPath) + ".");
    registry_.closeKey(cursorKey);
    cursorKey = nullptr;
}

void Installation::completed() {
    page_.setProgress(completedPosition);
    page_.setStatus("Setup Completed");
    page_.ShowCompletedState();
}

}  // namespace kastrell
