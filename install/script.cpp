#include "install/script.h"

#include "install/journal.h"
#include "install/script_names.h"
#include "platform/failure.h"
#include "platform/held_folder.h"
#include "platform/text_decoding.h"
#include "platform/text_file.h"

#include <windows.h>

#include <limits>
#include <string_view>

namespace kastrell {
namespace {

constexpr std::size_t shownLength = 60;
constexpr std::size_t longestValueName = 16383;

// Control characters made visible as \xNN, counted in characters.
std::wstring visible(std::wstring_view text) {
    std::wstring shown;
    for (const wchar_t c : text) {
        if (!isControlCharacter(c)) {
            shown += c;
            continue;
        }
        constexpr wchar_t hex[] = L"0123456789ABCDEF";
        shown += {L'\\', L'x', hex[c >> 4], hex[c & 15]};
    }
    return shown;
}

std::string where(int lineNumber) {
    return std::string(scriptName) + ", line " + std::to_string(lineNumber) + ": ";
}

Failure lineFailure(unsigned long code, int lineNumber, const std::string& line,
                    const std::string& problem) {
    return systemFailure(code, where(lineNumber) + quotedForMessage(line) + " " + problem);
}

// The source is opened here, once, and checked on its handle; the name checks
// before it give the clearer report for what a name alone gives away.
SourceFile openCopySource(int lineNumber, const std::string& line, const ScriptLine& parts,
                          const ScriptNames& names, FileSystem& files) {
    if (std::string problem = sourceNameProblem(names.left); !problem.empty())
        throw lineFailure(parts.left.empty() ? ERROR_INVALID_DATA : ERROR_INVALID_NAME, lineNumber, line, problem);
    if (std::string problem = cursorFileNameProblem(names.right, "destination"); !problem.empty())
        throw lineFailure(ERROR_INVALID_NAME, lineNumber, line, problem);
    try {
        return files.openSource(names.left);
    } catch (const Failure& failure) {
        const std::string which = "names the source file " + quotedForMessage(parts.left);
        if (failure.number() == ERROR_FILE_NOT_FOUND || failure.number() == ERROR_PATH_NOT_FOUND)
            throw lineFailure(failure.number(), lineNumber, line, which + ", which cannot be found.");
        throw lineFailure(failure.number(), lineNumber, line,
                          which + ", which setup will not copy. " + failure.subject());
    }
}

// Checks a line; a copy line's source is opened and added to `sources`.
ScriptNames checkLine(int lineNumber, const std::string& line, FileSystem& files, std::vector<SourceFile>& sources) {
    // A line feed inside a line means the file's lines end in LF alone,
    // which the line rule does not take as a line end.
    if (line.find('\n') != std::string::npos)
        throw lineFailure(ERROR_INVALID_DATA, lineNumber, line,
                          "holds a line feed: lines must end in CR or CR LF, not in LF alone.");
    std::int16_t separatorPos = 0;
    ScriptLine parts;
    try {
        parts = splitLine(line, separatorPos);
    } catch (const Failure& failure) {
        throw Failure(failure.number(), failure.description(), where(lineNumber) + failure.subject());
    }
    // "=" is never the second byte of a double-byte letter: the parts
    // convert as the line does.
    ScriptNames names{fromAnsiCodePage(parts.left), fromAnsiCodePage(parts.right)};
    if (lineNumber <= copyLineCount) {
        sources.push_back(openCopySource(lineNumber, line, parts, names, files));
        return names;
    }
    // The registry refuses longer value names, and only after the files are copied.
    if (names.left.size() > longestValueName)
        throw lineFailure(ERROR_INVALID_NAME, lineNumber, line,
                          "names a registry value longer than " + std::to_string(longestValueName) +
                              " characters.");
    // The registered path stays inside the scheme folder; empty names the folder itself.
    if (names.right.empty()) return names;
    if (std::string problem = cursorFileNameProblem(names.right, "cursor file"); !problem.empty())
        throw lineFailure(ERROR_INVALID_NAME, lineNumber, line, problem);
    return names;
}

std::vector<std::string> readScriptLines(FileSystem& files) {
    std::vector<std::string> lines;
    bool cutShort = false;
    try {
        const SourceFile script = files.openSource(fromAnsiCodePage(scriptName));
        TextFile file(script.handle(), scriptName, scriptSizeLimit);
        while (!file.atEnd() && lines.size() < scriptLineCount) lines.push_back(file.readLine());
        // The limit fell inside the lines that are used.
        cutShort = !file.whole() && (lines.size() < scriptLineCount || file.atEnd());
    } catch (const Failure& failure) {
        throw Failure(failure.number(), failure.description(),
                      std::string("The installation script \"") + scriptName + "\" cannot be read in the folder \"" +
                          startFolder().shownName() + "\". " + failure.subject());
    }
    if (cutShort)
        throw systemFailure(ERROR_INVALID_DATA, std::string(scriptName) + ": its " + std::to_string(scriptLineCount) +
                                                      " lines take more than " + std::to_string(scriptSizeLimit) +
                                                      " bytes (1 MiB), more than any script needs.");
    return lines;
}

}  // namespace

ScriptLine splitLine(const std::string& line, std::int16_t& separatorPos) {
    constexpr std::size_t largest = std::numeric_limits<std::int16_t>::max();
    const std::size_t found = line.find('=');
    const std::size_t position = found == std::string::npos ? 0 : found + 1;
    // Position 32767 itself fits, but the right part's start (one further) would not.
    if (position >= largest)
        throw systemFailure(ERROR_ARITHMETIC_OVERFLOW,
                            quotedForMessage(line) + " has its first \"=\" at position " +
                                std::to_string(position) + "; it must come before position " +
                                std::to_string(largest) + ".");
    separatorPos = static_cast<std::int16_t>(position);
    if (separatorPos == 0)
        throw systemFailure(ERROR_INVALID_DATA, quotedForMessage(line) + " has no \"=\".");
    return {line.substr(0, separatorPos - 1), line.substr(separatorPos)};
}

std::string quotedForMessage(const std::string& text) {
    // Cut before converting, so that a 1 MiB line costs no more than its start.
    const std::wstring characters = fromAnsiCodePage(std::string_view(text).substr(0, 4 * shownLength));
    std::wstring shown = visible(std::wstring_view(characters).substr(0, shownLength + 1));
    if (characters.size() > shownLength || shown.size() > shownLength)
        shown = shown.substr(0, shownLength - 3) + L"...";
    return "\"" + toAnsiCodePage(shown) + "\"";
}

Script Script::load(FileSystem& files) {
    std::vector<std::string> lines = readScriptLines(files);
    std::vector<ScriptNames> names;
    std::vector<SourceFile> sources;
    for (std::size_t index = 0; index < lines.size(); ++index)
        names.push_back(checkLine(static_cast<int>(index) + 1, lines[index], files, sources));
    if (lines.size() < scriptLineCount)
        throw systemFailure(ERROR_HANDLE_EOF,
                            std::string(scriptName) + " has " + std::to_string(lines.size()) +
                                " line(s); it needs " + std::to_string(scriptLineCount) + ".");
    return Script(std::move(lines), std::move(names), std::move(sources));
}

std::string Script::readLine() {
    if (next_ >= lines_.size())
        throw systemFailure(ERROR_HANDLE_EOF, std::string("Read past the end of ") + scriptName + ".");
    return lines_[next_++];
}

}  // namespace kastrell
