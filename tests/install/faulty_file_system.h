#pragma once
// The system's file services, except that one chosen call fails as a full
// disk or a locked file would, after the earlier ones went through.
#include "platform/failure.h"
#include "platform/file_system.h"
#include "platform/text_decoding.h"

#include <windows.h>

namespace kastrell {

enum class FileCall { make, copy, move };

class FaultyFileSystem : public SystemFileSystem {
public:
    // The `occurrence`-th call of that kind throws a Failure numbered `error`.
    void failOn(FileCall call, int occurrence, unsigned long error = ERROR_DISK_FULL) {
        call_ = call;
        occurrence_ = occurrence;
        error_ = error;
    }

    void makeFolder(const std::wstring& path) override {
        fault(FileCall::make, "Cannot make the folder " + quotedPath(path) + ".");
        SystemFileSystem::makeFolder(path);
    }
    void copyFile(const SourceFile& source, const std::wstring& destination) override {
        fault(FileCall::copy, "Cannot copy " + quotedPath(source.name()) + " to " + quotedPath(destination) + ".");
        SystemFileSystem::copyFile(source, destination);
    }
    void moveFile(const std::wstring& from, const std::wstring& to) override {
        fault(FileCall::move, "Cannot rename " + quotedPath(from) + " to " + quotedPath(to) + ".");
        SystemFileSystem::moveFile(from, to);
    }

private:
    void fault(FileCall call, const std::string& subject) {
        if (call == call_ && ++seen_ == occurrence_) throw systemFailure(error_, subject);
    }

    FileCall call_ = FileCall::make;
    int occurrence_ = 0;
    unsigned long error_ = ERROR_DISK_FULL;
    int seen_ = 0;
};

}  // namespace kastrell
