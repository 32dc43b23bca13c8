#include "platform/failure.h"

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

std::string reportText(const Failure& failure) {
    std::string text = "Setup cannot continue.\r\n\r\n" + failure.subject() + "\r\n\r\nError " +
                       std::to_string(failure.number()) + ": " + failure.description();
    if (!failure.outcome().empty()) text += "\r\n\r\n" + failure.outcome();
    return text;
}

void reportAndExit(const Failure& failure) {
    const std::string text = reportText(failure);
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
    MessageBoxA(nullptr, text.c_str(), programName, MB_OK | MB_ICONERROR | MB_TASKMODAL);
    ExitProcess(1);
}

}  // namespace kastrell
