#pragma once
// A fresh folder under the system's temporary folder, removed with all it
// holds when the test ends.
#include <string>

namespace kastrell {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder itself, with a trailing backslash.
    const std::string& path() const { return path_; }
    std::string path(const std::string& name) const { return path_ + name; }

    void write(const std::string& name, const std::string& bytes) const;
    std::string read(const std::string& name) const;
    bool exists(const std::string& name) const;

private:
    std::string path_;
};

}  // namespace kastrell
