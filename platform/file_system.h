#pragma once
// The folder and copy services the installation uses, behind an interface so
// that tests can put failures where the file system would not produce them.
#include "platform/source_file.h"

#include <string>
#include <vector>

namespace kastrell {

// Every name is taken in UTF-16 and every call is a wide one, so that a name
// is made, found, renamed and put back as the same characters, including
// those the ANSI code page cannot hold (a file set aside by an earlier run,
// say).
class FileSystem {
public:
    virtual ~FileSystem() = default;
    // True for an existing folder, empty or not.
    virtual bool folderExists(const std::wstring& path) = 0;
    // Makes the last level of the path; throws Failure naming the folder.
    virtual void makeFolder(const std::wstring& path) = 0;
    // Opens a file in the folder setup started in (startFolder()), relative
    // to it, and checks it on its handle (source_file.h).
    virtual SourceFile openSource(const std::wstring& name) = 0;
    // Copies what the open source holds, replacing a file at the destination;
    // throws Failure naming both.
    virtual void copyFile(const SourceFile& source, const std::wstring& destination) = 0;

    // What an installation needs to put files back as they were. Each throws
    // Failure naming the path. A read-only file is moved over or deleted too.
    // True for an existing file that is not a folder.
    virtual bool fileExists(const std::wstring& path) = 0;
    // Renames within one folder, replacing a file at `to`: needs no space.
    virtual void moveFile(const std::wstring& from, const std::wstring& to) = 0;
    virtual void deleteFile(const std::wstring& path) = 0;
    // Removes an empty folder.
    virtual void removeFolder(const std::wstring& path) = 0;
    // The names of the files (not folders) in a folder.
    virtual std::vector<std::wstring> fileNames(const std::wstring& folder) = 0;
    // A whole file's bytes, and a file made (or replaced) with these bytes.
    virtual std::string readFile(const std::wstring& path) = 0;
    virtual void writeFile(const std::wstring& path, const std::string& bytes) = 0;
};

// The real file system.
class SystemFileSystem : public FileSystem {
public:
    bool folderExists(const std::wstring& path) override;
    void makeFolder(const std::wstring& path) override;
    SourceFile openSource(const std::wstring& name) override;
    void copyFile(const SourceFile& source, const std::wstring& destination) override;
    bool fileExists(const std::wstring& path) override;
    void moveFile(const std::wstring& from, const std::wstring& to) override;
    void deleteFile(const std::wstring& path) override;
    void removeFolder(const std::wstring& path) override;
    std::vector<std::wstring> fileNames(const std::wstring& folder) override;
    std::string readFile(const std::wstring& path) override;
    void writeFile(const std::wstring& path, const std::string& bytes) override;
};

}  // namespace kastrell
