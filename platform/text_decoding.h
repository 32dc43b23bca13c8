#pragma once
// How a text file's bytes become characters for showing: a UTF-8 mark means
// UTF-8, a UTF-16 mark (little or big endian) means UTF-16, bytes that are
// valid UTF-8 and not plain ASCII are UTF-8, and anything else is in the
// ANSI code page. A mark is not part of the text.
#include <string>
#include <string_view>

namespace kastrell {

std::wstring decodeText(std::string_view bytes);

}  // namespace kastrell

namespace kastrell {

// Names and texts of the installation script, in the ANSI code page, as the
// system's wide calls take them: the one conversion they all go through, so
// that a name is written, read back and put back as the same characters.
std::wstring fromAnsiCodePage(std::string_view bytes);
// For messages: a character the code page lacks is shown as "?".
std::string toAnsiCodePage(std::wstring_view text);

}  // namespace kastrell
