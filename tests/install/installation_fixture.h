#pragma once
// An installation in a temporary folder that is also the current folder,
// holding ten cursor files and a script that names them, against Wine's real
// HKEY_CURRENT_USER with "Control Panel\cursors" removed beforehand.
#include "install/installation.h"
#include "platform/failure.h"
#include "tests/install/faulty_registry.h"
#include "tests/install/recording_page.h"
#include "tests/install/registry_probe.h"
#include "tests/support/failure_of.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace kastrell {

using Lines = std::vector<std::string>;

// For EXPECT_PRED_FORMAT2(sameLines, actual, expected): a failure names the
// first item that differs and shows the lists one item a line.
::testing::AssertionResult sameLines(const char* actualText, const char* expectedText, const Lines& actual,
                                     const Lines& expected);

// Ten copy lines, then ten registration lines for the same cursors.
Lines sampleScript();
// Lengthens the last line's cursor file name until the lines, CR LF each,
// take `bytes` in all.
void fillTo(Lines& lines, std::size_t bytes);
// The name a copy line gives its cursor file ("Kastrell.cur" for line 1).
std::string cursorFileOf(int copyLine);
// What the sample source file of a copy line holds.
std::string sourceContentOf(int copyLine);

class InstallationTest : public ::testing::Test {
protected:
    InstallationTest();
    ~InstallationTest() override;

    // Lines joined by CR LF, the last one ended too.
    void writeScript(const Lines& lines, const std::string& lineEnd = "\r\n");

    std::string destination() const { return folder_.path("Kastrell\\"); }
    std::string installed(const std::string& name) const { return folder_.read("Kastrell\\" + name); }

    void install(FileSystem& files);
    void install() { install(files_); }
    // Runs an installation that must fail, and gives its failure.
    Failure installFailure(FileSystem& files);
    Failure installFailure() { return installFailure(files_); }

    // Every file under the temporary folder with its bytes (over 1 MiB, its
    // size and time), by name in UTF-8.
    std::map<std::string, std::string> folderContents() const;

    TempFolder folder_;
    RecordingPage page_;
    FaultyRegistry registry_;
    SystemFileSystem files_;
    std::string destination_ = destination();

private:
    std::string previousFolder_;
};

}  // namespace kastrell
