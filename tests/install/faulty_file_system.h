#pragma once
// The system's file services, except that one chosen copy fails as a full
// disk would, after the earlier ones went through.
#include "platform/failure.h"
#include "platform/file_system.h"

#include <windows.h>

namespace kastrell {

class FaultyFileSystem : public SystemFileSystem {
public:
    explicit FaultyFileSystem(int failingCopy) : failingCopy_(failingCopy) {}

    void copyFile(const std::string& source, const std::string& destination) override {
        if (++copies_ == failingCopy_)
            throw systemFailure(ERROR_DISK_FULL, "Cannot copy \"" + source + "\" to \"" + destination + "\".");
        SystemFileSystem::copyFile(source, destination);
    }

private:
    int failingCopy_;
    int copies_ = 0;
};

}  // namespace kastrell
