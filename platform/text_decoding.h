#pragma once
// How bytes become characters: a text file's for showing, and the
// installation script's names for the system's wide calls.
#include <string>
#include <string_view>

namespace kastrell {

// A text file's bytes for showing: a UTF-8 mark means UTF-8, a UTF-16 mark
// (little or big endian) means UTF-16, bytes that are valid UTF-8 and not
// plain ASCII are UTF-8, and anything else is in the ANSI code page. A mark
// is not part of the text.
std::wstring decodeText(std::string_view bytes);

// Names and texts of the installation script, in the ANSI code page, as the
// system's wide calls take them: the one conversion they all go through, so
// that a name is checked, written, read back and put back as the same
// characters (in a double-byte code page a letter's second byte may be "\").
std::wstring fromAnsiCodePage(std::string_view bytes);
// For messages: a character the code page lacks is shown as "?".
std::string toAnsiCodePage(std::wstring_view text);

// How a message names a file or folder: quoted, as users write a path
// (without the "\\?\" that the system may put before it).
std::string quotedPath(std::wstring_view path);

}  // namespace kastrell
