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
    // Copies what the open source holds, replacing a file at the destination,
    // and flushes the copy to the disk; throws Failure naming both.
    virtual void copyFile(const SourceFile& source, const std::wstring& destination) = 0;

    // What an installation needs to put files back as they were, with the
    // wide calls, so that names the ANSI code page cannot hold (a file set
    // aside by an earlier run, say) are found and renamed as they are. Each
    // throws Failure naming the path. A read-only file is moved over or
    // deleted too.
    // True for an existing file that is not a folder.
    virtual bool fileExists(const std::wstring& path) = 0;
    // Renames within one folder, replacing a file at `to`: needs no space.
    virtual void moveFile(const std::wstring& from, const std::wstring& to) = 0;
    virtual void deleteFile(const std::wstring& path) = 0;
    // Removes an empty folder.
    virtual void removeFolder(const std::wstring& path) = 0;
    // The last part of `path` as the file system holds it: the long name of
    // an existing file reached through an alias (an 8.3 name); the given
    // part when there is no such file.
    virtual std::wstring longFileName(const std::wstring& path) = 0;
    // The names of the files (not folders) in a folder.
    virtual std::vector<std::wstring> fileNames(const std::wstring& folder) = 0;
    // A whole file's bytes, and a file made (or replaced) with these bytes.
    virtual std::string readFile(const std::wstring& path) = 0;
    virtual void writeFile(const std::wstring& path, const std::string& bytes) = 0;
};

// The real file system.
class SystemFileSystem : public FileSystem {
public:
    bool folderExists(const std::string& path) override;
    bool fileExists(const std::string& path) override;
    void makeFolder(const std::string& path) override;
    SourceFile openSource(const std::string& name) override;
    void copyFile(const SourceFile& source, const std::wstring& destination) override;
    bool fileExists(const std::wstring& path) override;
    void moveFile(const std::wstring& from, const std::wstring& to) override;
    void deleteFile(const std::wstring& path) override;
    void removeFolder(const std::wstring& path) override;
    std::wstring longFileName(const std::wstring& path) override;
    std::vector<std::wstring> fileNames(const std::wstring& folder) override;
    std::string readFile(const std::wstring& path) override;
    void writeFile(const std::wstring& path, const std::string& bytes) override;
};

}  // namespace kastrell
