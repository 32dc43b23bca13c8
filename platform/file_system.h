#pragma once
// The folder and copy services the installation uses, behind an interface so
// that tests can put failures where the file system would not produce them.
#include "platform/source_file.h"

#include <string>
#include <vector>

namespace kastrell {

// The process's current folder, against which relative names are resolved;
// reports name it beside a file that cannot be read.
std::string currentFolder();

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // True for an existing folder, empty or not.
    virtual bool folderExists(const std::string& path) = 0;
    // True for an existing file that is not a folder.
    virtual bool fileExists(const std::string& path) = 0;
    // Makes the last level of the path; throws Failure naming the folder.
    virtual void makeFolder(const std::string& path) = 0;
    // Opens a copy source and checks it on its handle (source_file.h).
    virtual SourceFile openSource(const std::string& name) = 0;
    // Copies what the open source holds, replacing a file at the destination;
    // throws Failure naming both.
    virtual void copyFile(const SourceFile& source, const std::string& destination) = 0;

    // What an installation needs to put files back as they were; each throws
    // Failure naming the path. A read-only file is moved over or deleted too.
    // Renames within one folder, replacing a file at `to`: needs no space.
    virtual void moveFile(const std::string& from, const std::string& to) = 0;
    virtual void deleteFile(const std::string& path) = 0;
    // Removes an empty folder.
    virtual void removeFolder(const std::string& path) = 0;
    // The names of the files (not folders) in a folder.
    virtual std::vector<std::string> fileNames(const std::string& folder) = 0;
};

// The real file system.
class SystemFileSystem : public FileSystem {
public:
    bool folderExists(const std::string& path) override;
    bool fileExists(const std::string& path) override;
    void makeFolder(const std::string& path) override;
    SourceFile openSource(const std::string& name) override;
    void copyFile(const SourceFile& source, const std::string& destination) override;
    void moveFile(const std::string& from, const std::string& to) override;
    void deleteFile(const std::string& path) override;
    void removeFolder(const std::string& path) override;
    std::vector<std::string> fileNames(const std::string& folder) override;
};

}  // namespace kastrell
