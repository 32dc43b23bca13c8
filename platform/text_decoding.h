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
