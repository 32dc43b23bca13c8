#include "platform/failure.h"
#include "platform/file_system.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <functional>

namespace kastrell {
namespace {

class FileSystemTest : public ::testing::Test {
protected:
    // The failure that `action` throws; a failure of the test if it throws none.
    static Failure failureOf(const std::function<void()>& action) {
        try {
            action();
        } catch (const Failure& failure) {
            return failure;
        }
        ADD_FAILURE() << "no failure";
        return Failure(0, "", "");
    }

    SystemFileSystem files_;
    TempFolder folder_;
};

TEST_F(FileSystemTest, MakesTheLastLevelOfAFolder) {
    EXPECT_FALSE(files_.folderExists(folder_.path("made")));
    files_.makeFolder(folder_.path("made"));
    EXPECT_TRUE(files_.folderExists(folder_.path("made")));
    EXPECT_TRUE(files_.folderExists(folder_.path("made\\")));
    EXPECT_FALSE(files_.fileExists(folder_.path("made")));
}

TEST_F(FileSystemTest, MakeFolderFailsWithoutItsParentOrWithAFileInTheWay) {
    const std::string orphan = folder_.path("missing\\child");
    Failure failure = failureOf([&] { files_.makeFolder(orphan); });
    EXPECT_EQ(failure.number(), 3u);  // ERROR_PATH_NOT_FOUND
    EXPECT_NE(failure.subject().find(orphan), std::string::npos);
    EXPECT_FALSE(files_.folderExists(folder_.path("missing")));

    folder_.write("taken", "a file");
    failure = failureOf([&] { files_.makeFolder(folder_.path("taken")); });
    EXPECT_EQ(failure.number(), 183u);  // ERROR_ALREADY_EXISTS
    EXPECT_NE(failure.subject().find(folder_.path("taken")), std::string::npos);
    EXPECT_FALSE(failure.description().empty());
}

TEST_F(FileSystemTest, CopyReplacesTheDestination) {
    folder_.write("source.cur", std::string("new\0bytes\xff", 10));
    folder_.write("target.cur", "an older and longer content");
    files_.copyFile(folder_.path("source.cur"), folder_.path("target.cur"));
    EXPECT_EQ(folder_.read("target.cur"), std::string("new\0bytes\xff", 10));
    EXPECT_EQ(folder_.read("source.cur"), std::string("new\0bytes\xff", 10));
}

TEST_F(FileSystemTest, CopyFailsForAMissingSourceOrAFolderAsDestination) {
    Failure failure = failureOf([&] { files_.copyFile(folder_.path("absent.cur"), folder_.path("to.cur")); });
    EXPECT_EQ(failure.number(), 2u);  // ERROR_FILE_NOT_FOUND
    EXPECT_NE(failure.subject().find("absent.cur"), std::string::npos);
    EXPECT_FALSE(folder_.exists("to.cur"));

    folder_.write("source.cur", "bytes");
    files_.makeFolder(folder_.path("folder"));
    failure = failureOf([&] { files_.copyFile(folder_.path("source.cur"), folder_.path("folder")); });
    EXPECT_EQ(failure.number(), 5u);  // ERROR_ACCESS_DENIED
    EXPECT_NE(failure.subject().find(folder_.path("folder")), std::string::npos);
    EXPECT_TRUE(files_.folderExists(folder_.path("folder")));
}

}  // namespace
}  // namespace kastrell
