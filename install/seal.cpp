#include "install/seal.h"

#include "platform/failure.h"
#include "platform/held_folder.h"
#include "platform/text_decoding.h"

#include <windows.h>
#include <bcrypt.h>

#include <cstdio>
#include <optional>
#include <vector>

namespace kastrell {
namespace {

struct SealedFile {
    std::string hash;  // SHA-256, 64 lowercase hex digits
    std::wstring name;  // converted as the script's names are
};

// The seal resource's lines, "HASH  NAME"; nothing when there is none.
std::optional<std::vector<SealedFile>> readSeal() {
    HRSRC resource = FindResourceW(nullptr, L"SEAL", MAKEINTRESOURCEW(10));  // RT_RCDATA
    const HGLOBAL loaded = resource ? LoadResource(nullptr, resource) : nullptr;
    if (!loaded) return std::nullopt;
    const std::string_view text(static_cast<const char*>(LockResource(loaded)), SizeofResource(nullptr, resource));
    std::vector<SealedFile> files;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(start, end - start);
        if (line.size() > 66) files.push_back({std::string(line.substr(0, 64)), fromAnsiCodePage(line.substr(66))});
        start = end + 1;
    }
    return files;
}

const std::optional<std::vector<SealedFile>>& seal() {
    static const std::optional<std::vector<SealedFile>> files = readSeal();
    return files;
}

// The system's own SHA-256 (bcrypt.dll, delay-loaded when a sealed program
// first hashes).
std::string sha256Hex(std::string_view bytes) {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    unsigned char digest[32];
    NTSTATUS status = BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0);
    if (BCRYPT_SUCCESS(status)) {
        status = BCryptHash(algorithm, nullptr, 0, reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data())),
                            static_cast<ULONG>(bytes.size()), digest, sizeof digest);
        BCryptCloseAlgorithmProvider(algorithm, 0);
    }
    if (!BCRYPT_SUCCESS(status)) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(status));
        throw systemFailure(ERROR_NOT_SUPPORTED, std::string("The system cannot compute a SHA-256 (status ") + code + ").");
    }
    std::string hex;
    for (const unsigned char byte : digest) {
        hex += "0123456789abcdef"[byte >> 4];
        hex += "0123456789abcdef"[byte & 15];
    }
    return hex;
}

}  // namespace

bool isSealed() { return seal().has_value(); }

void checkSealed(const std::wstring& name, std::string_view bytes) {
    if (!isSealed()) return;
    const std::string hash = sha256Hex(bytes);
    for (const SealedFile& file : *seal())
        if (file.name == name && file.hash == hash) return;
    throw systemFailure(ERROR_INVALID_DATA, quotedPath(name) + " in the folder \"" + startFolder().shownName() +
                                                "\" is not the file this setup was released with: it has been "
                                                "changed since. Get the setup again from its publisher.");
}

void checkSealed(const std::string& name, std::string_view bytes) { checkSealed(fromAnsiCodePage(name), bytes); }

void checkSealed(const SourceFile& source) {
    if (isSealed()) checkSealed(source.name(), contentsOf(source));
}

}  // namespace kastrell
