#pragma once
// Unix commands run from a test under Wine, for what Windows calls cannot
// make there: a real symbolic link, as an attacker on the Unix side would.
#include <string>
#include <vector>

namespace kastrell {

// The Unix path of a Windows path, as Wine maps it.
std::string unixPathOf(const std::string& windowsPath);

// Runs the program (a Unix path such as "/bin/ln") with its arguments in the
// current folder, and waits for it. Arguments must hold no quote.
void runUnixCommand(const std::string& program, const std::vector<std::string>& arguments);

}  // namespace kastrell
