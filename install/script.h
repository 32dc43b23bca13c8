#pragma once
// The installation script "install.txt": twenty lines of the form left=right,
// read from the current folder. Lines 1-10 copy the file named on the left to
// the name on the right inside the scheme folder; lines 11-20 write the
// registry value named on the left. Anything after line 20 is never read.
#include "platform/file_system.h"
#include "platform/source_file.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kastrell {

inline constexpr const char* scriptName = "install.txt";
inline constexpr int copyLineCount = 10;
inline constexpr int scriptLineCount = 20;
// The twenty lines may take this much of the file; what follows is not read.
inline constexpr std::size_t scriptSizeLimit = 1024 * 1024;

// A script line split at its first "=". Nothing is trimmed on either side.
struct ScriptLine {
    std::string left;
    std::string right;
};

// A line's two parts as the system's wide calls take them, converted once
// from the ANSI code page: what was checked is what gets written.
struct ScriptNames {
    std::wstring left;
    std::wstring right;
};

// Splits `line` at its first "=", whose 1-based position goes into
// `separatorPos`. Throws Failure when there is no "=", or when the right
// part's start (the position plus 1) cannot be counted in 16 bits.
ScriptLine splitLine(const std::string& line, std::int16_t& separatorPos);

// How a line is shown in a message: quoted, control characters made visible,
// shortened to about sixty characters (not bytes: a double-byte letter stays whole).
std::string quotedForMessage(const std::string& text);

// The script's twenty lines, read once and checked as a whole before the
// installation changes anything, then handed out in order, so that what was
// checked is what gets used. The copy sources are opened and checked then too,
// and held open until the script is let go of.
class Script {
public:
    // Reads "install.txt" from the folder setup started in and checks every
    // line; it and the copy sources are opened through `files`. Throws
    // Failure naming the line at fault and what is wrong with it.
    static Script load(FileSystem& files);

    // The next line; throws Failure past the twentieth.
    std::string readLine();
    // The parts of a line (1 to 20) in UTF-16.
    const ScriptNames& names(int lineNumber) const { return names_.at(static_cast<std::size_t>(lineNumber - 1)); }
    // The open source of a copy line (1 to 10).
    const SourceFile& source(int copyLine) const { return sources_.at(static_cast<std::size_t>(copyLine - 1)); }

private:
    Script(std::vector<std::string> lines, std::vector<ScriptNames> names, std::vector<SourceFile> sources)
        : lines_(std::move(lines)), names_(std::move(names)), sources_(std::move(sources)) {}

    std::vector<std::string> lines_;
    std::vector<ScriptNames> names_;
    std::vector<SourceFile> sources_;
    std::size_t next_ = 0;
};

}  // namespace kastrell
