#include "platform/failure.h"

#include "platform/text_decoding.h"

#include <windows.h>

#include <cstdio>

namespace kastrell {

Failure::Failure(unsigned long number, std::string description, std::string subject)
    : std::runtime_error(description + ": " + subject),
      number_(number),
      description_(std::move(description)),
      subject_(std::move(subject)) {}

std::string systemErrorText(unsigned long code) {
    char* buffer = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text = length ? std::string(buffer, length) : "Unknown error.";
    LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

Failure systemFailure(unsigned long code, std::string subject) {
    return Failure(code, systemErrorText(code), std::move(subject));
}

std::string shortened(const std::string& text, std::size_t limit) {
    if (text.size() <= limit) return text;
    const std::string gap = " ... ";
    const std::size_t head = (limit - gap.size()) / 2;
    return text.substr(0, head) + gap + text.substr(text.size() - (limit - gap.size() - head));
}

// Each part bounded, whatever names went into it: a message box is no place
// for a whole file.
std::string reportText(const Failure& failure) {
    std::string text = "Setup cannot continue.\r\n\r\n" + shortened(failure.subject(), 1000) + "\r\n\r\nError " +
                       std::to_string(failure.number()) + ": " + shortened(failure.description(), 500);
    if (!failure.outcome().empty()) text += "\r\n\r\n" + shortened(failure.outcome(), 3000);
    return text;
}

void reportOnStderrAndExit(const Failure& failure) {
    std::fprintf(stderr, "%s\n", reportText(failure).c_str());
    std::fflush(stderr);
    ExitProcess(1);
}

void reportAndExit(const Failure& failure) {
    const std::string text = reportText(failure);
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
    // The report's names are the script's bytes: converted once, as every text shown.
    MessageBoxW(nullptr, fromAnsiCodePage(text).c_str(), programName, MB_OK | MB_ICONERROR | MB_TASKMODAL);
    ExitProcess(1);
}

}  // namespace kastrell
