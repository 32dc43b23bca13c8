#include "platform/failure.h"
#include "platform/file_system.h"
#include "platform/held_folder.h"
#include "platform/text_decoding.h"
#include "tests/support/failure_of.h"
#include "tests/support/temp_folder.h"
#include "tests/support/unix_command.h"

#include <gtest/gtest.h>

namespace kastrell {
namespace {

std::wstring wide(const std::string& name) { return fromAnsiCodePage(name); }

// Runs in its temporary folder, as setup runs in the scheme's folder.
class FileSystemTest : public ::testing::Test {
protected:
    FileSystemTest() {
        GetCurrentDirectoryA(MAX_PATH, previousFolder_);
        SetCurrentDirectoryA(folder_.path().c_str());
        holdStartFolder();
    }
    ~FileSystemTest() override {
        SetCurrentDirectoryA(previousFolder_);
        holdStartFolder();  // lets the temporary folder go
    }

    SystemFileSystem files_;
    TempFolder folder_;
    char previousFolder_[MAX_PATH] = "";
};

TEST_F(FileSystemTest, MakesTheLastLevelOfAFolder) {
    EXPECT_FALSE(files_.folderExists(wide(folder_.path("made"))));
    files_.makeFolder(wide(folder_.path("made")));
    EXPECT_TRUE(files_.folderExists(wide(folder_.path("made"))));
    EXPECT_TRUE(files_.folderExists(wide(folder_.path("made\\"))));
    EXPECT_FALSE(files_.fileExists(wide(folder_.path("made"))));
}

TEST_F(FileSystemTest, MakeFolderFailsWithoutItsParentOrWithAFileInTheWay) {
    const std::wstring orphan = wide(folder_.path("missing\\child"));
    Failure failure = failureOf([&] { files_.makeFolder(orphan); });
    EXPECT_EQ(failure.number(), 3u);  // ERROR_PATH_NOT_FOUND
    EXPECT_NE(failure.subject().find(toAnsiCodePage(orphan)), std::string::npos);
    EXPECT_FALSE(files_.folderExists(wide(folder_.path("missing"))));

    folder_.write("taken", "a file");
    failure = failureOf([&] { files_.makeFolder(wide(folder_.path("taken"))); });
    EXPECT_EQ(failure.number(), 183u);  // ERROR_ALREADY_EXISTS
    EXPECT_NE(failure.subject().find(folder_.path("taken")), std::string::npos);
    EXPECT_FALSE(failure.description().empty());
}

TEST_F(FileSystemTest, CopyReplacesTheDestination) {
    folder_.write("source.cur", std::string("new\0bytes\xff", 10));
    folder_.write("target.cur", "an older and longer content");
    files_.copyFile(files_.openSource(L"source.cur"), wide(folder_.path("target.cur")));
    EXPECT_EQ(folder_.read("target.cur"), std::string("new\0bytes\xff", 10));
    EXPECT_EQ(folder_.read("source.cur"), std::string("new\0bytes\xff", 10));
}

TEST_F(FileSystemTest, CopyFailsForAMissingSourceOrAFolderAsDestination) {
    Failure failure = failureOf([&] { files_.openSource(L"absent.cur"); });
    EXPECT_EQ(failure.number(), 2u);  // ERROR_FILE_NOT_FOUND

    folder_.write("source.cur", "bytes");
    files_.makeFolder(wide(folder_.path("folder")));
    failure = failureOf([&] { files_.copyFile(files_.openSource(L"source.cur"), wide(folder_.path("folder"))); });
    EXPECT_EQ(failure.number(), 5u);  // ERROR_ACCESS_DENIED
    EXPECT_NE(failure.subject().find(folder_.path("folder")), std::string::npos);
    EXPECT_TRUE(files_.folderExists(wide(folder_.path("folder"))));
}

// The folder is a stranger's: a source that leads elsewhere, through a Unix
// link that Wine follows silently or another name of a file, is refused on
// its open handle, whatever its name says.
TEST_F(FileSystemTest, OpensOnlyAFileWithOneNameInsideTheCurrentFolder) {
    TempFolder outside;
    outside.write("secret.txt", "an administrator's secret");
    outside.write("other.txt", "another secret");
    folder_.write("plain.cur", "cursor");
    files_.makeFolder(L"sub");
    folder_.write("sub\\deep.cur", "deep cursor");
    runUnixCommand("/bin/ln", {"-s", unixPathOf(outside.path("secret.txt")), "linked.cur"});
    runUnixCommand("/bin/ln", {"-s", unixPathOf(outside.path()), "linkedfolder"});
    runUnixCommand("/bin/ln", {unixPathOf(outside.path("other.txt")), "hard.cur"});
    runUnixCommand("/bin/ln", {"-s", "/dev/zero", "zero.cur"});
    runUnixCommand("/usr/bin/mkfifo", {"fifo.cur"});
    ASSERT_TRUE(files_.fileExists(L"linked.cur") && files_.fileExists(L"linkedfolder\\secret.txt") &&
                files_.fileExists(L"hard.cur"));

    const struct {
        std::string name;
        unsigned long number;  // 0: opens
        std::string why;
    } cases[] = {
        {"plain.cur", 0, ""},
        {"sub\\deep.cur", 0, ""},
        {"linked.cur", ERROR_ACCESS_DENIED, "leads outside the folder"},
        {"linkedfolder\\secret.txt", ERROR_ACCESS_DENIED, "leads outside the folder"},
        {"hard.cur", ERROR_ACCESS_DENIED, "2 names (hard links)"},
        // Opened relative to the folder, "nul" is a name like any other.
        {"nul", ERROR_FILE_NOT_FOUND, "cannot be found"},
        {"zero.cur", ERROR_ACCESS_DENIED, "not a file"},
        {"fifo.cur", ERROR_ACCESS_DENIED, "not a file"},
        {"sub", ERROR_ACCESS_DENIED, "a folder, not a file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.number == 0) {
            EXPECT_EQ(files_.openSource(wide(c.name)).name(), wide(c.name));
            continue;
        }
        const Failure failure = failureOf([&] { files_.openSource(wide(c.name)); });
        EXPECT_EQ(failure.number(), c.number);
        EXPECT_NE(failure.subject().find(c.why), std::string::npos) << failure.subject();
    }
    runUnixCommand("/bin/rm", {"linked.cur", "linkedfolder", "hard.cur", "zero.cur", "fifo.cur"});
}

// Held from its check to its copy, a source cannot be swapped through Windows,
// and one swapped under Wine from the Unix side is still copied as checked.
TEST_F(FileSystemTest, HeldSourceIsCopiedAsItWasChecked) {
    TempFolder outside;
    outside.write("secret.txt", "an administrator's secret");
    folder_.write("plain.cur", "checked bytes");
    const SourceFile source = files_.openSource(L"plain.cur");

    EXPECT_FALSE(MoveFileA("plain.cur", "moved.cur"));
    EXPECT_FALSE(DeleteFileA("plain.cur"));
    EXPECT_EQ(CreateFileA("plain.cur", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    runUnixCommand("/bin/ln", {"-sf", unixPathOf(outside.path("secret.txt")), "plain.cur"});
    ASSERT_EQ(folder_.read("plain.cur"), "an administrator's secret");

    files_.copyFile(source, wide(folder_.path("copy.cur")));
    files_.copyFile(source, wide(folder_.path("again.cur")));
    EXPECT_EQ(folder_.read("copy.cur"), "checked bytes");
    EXPECT_EQ(folder_.read("again.cur"), "checked bytes");
    runUnixCommand("/bin/rm", {"plain.cur"});
}

// Started in a folder reached through a link, setup reads from that folder
// for its whole run, whatever the link is made to point at later.
TEST_F(FileSystemTest, HeldFolderKeepsItsFilesWhenALinkOnItsPathIsRepointed) {
    files_.makeFolder(L"download");
    files_.makeFolder(L"planted");
    folder_.write("download\\qilo.cur", "the publisher's cursor");
    folder_.write("planted\\qilo.cur", "a planted cursor");
    folder_.write("planted\\only.cur", "only in the planted folder");
    runUnixCommand("/bin/ln", {"-s", "download", "ln"});
    SetCurrentDirectoryA(folder_.path("ln").c_str());
    holdStartFolder();

    runUnixCommand("/bin/ln", {"-sfn", "planted", unixPathOf(folder_.path("ln"))});
    ASSERT_EQ(folder_.read("ln\\qilo.cur"), "a planted cursor");

    files_.copyFile(files_.openSource(L"qilo.cur"), wide(folder_.path("copy.cur")));
    EXPECT_EQ(folder_.read("copy.cur"), "the publisher's cursor");
    EXPECT_EQ(failureOf([&] { files_.openSource(L"only.cur"); }).number(), 2u);  // ERROR_FILE_NOT_FOUND
    runUnixCommand("/bin/rm", {unixPathOf(folder_.path("ln"))});
}

}  // namespace
}  // namespace kastrell
