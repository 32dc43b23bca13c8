#pragma once
// A failure ends the program: it carries a number (the system's error code
// where the system gave one), the system's description of that number, and
// what failed in the user's terms (a file, a script line, a registry value).
#include <stdexcept>
#include <string>

namespace kastrell {

class Failure : public std::runtime_error {
public:
    Failure(unsigned long number, std::string description, std::string subject);

    unsigned long number() const { return number_; }
    const std::string& description() const { return description_; }
    const std::string& subject() const { return subject_; }

    // What became of the changes made before the failure, when there were any.
    const std::string& outcome() const { return outcome_; }
    void setOutcome(std::string outcome) { outcome_ = std::move(outcome); }
    Failure&& withOutcome(std::string outcome) && {
        outcome_ = std::move(outcome);
        return std::move(*this);
    }

private:
    unsigned long number_;
    std::string description_;
    std::string subject_;
    std::string outcome_;
};

// The system's own text for an error code, without its trailing line break.
std::string systemErrorText(unsigned long code);

// A failure numbered by a system error code and described by the system's text.
Failure systemFailure(unsigned long code, std::string subject);

// For calls that return a system error code rather than failing (the
// registry's): anything but success becomes a Failure about `subject`.
void require(long result, const std::string& subject);

// `text` cut in its middle to `limit` characters, when it is longer.
std::string shortened(const std::string& text, std::size_t limit);

// What the report says, in the order a user reads it, each part bounded.
std::string reportText(const Failure& failure);

// Shows the report in a message box and ends the process with status 1,
// whatever windows are open. Also written to stderr for whoever runs us
// from a console.
[[noreturn]] void reportAndExit(const Failure& failure);

// The report on stderr alone, for when user32, which shows the box, is not
// to be had; ends the process with status 1.
[[noreturn]] void reportOnStderrAndExit(const Failure& failure);

// The program's name, as the report's caption.
inline constexpr const wchar_t* programName = L"Kastrell Setup";

}  // namespace kastrell
