#pragma once
// A released wizard carries the SHA-256 of each file it reads from its folder
// (the script, the licence and every copy source), put in as a resource before
// it is signed (scripts/seal.sh), so that the publisher's signature covers
// what it installs. A build without a seal (the developers', the tests')
// checks nothing and behaves as before.
#include "platform/source_file.h"

#include <string>
#include <string_view>

namespace kastrell {

// Whether this program carries a seal.
bool isSealed();

// Throws Failure naming the file when the program is sealed and `bytes`, read
// from the file `name` (as the script's names are converted), are not what the
// release held under that name.
void checkSealed(const std::wstring& name, std::string_view bytes);
void checkSealed(const std::string& name, std::string_view bytes);
// The same for a copy source, its bytes read through its open handle, which
// nobody can write while it is held: the bytes checked are the bytes copied.
void checkSealed(const SourceFile& source);

}  // namespace kastrell
