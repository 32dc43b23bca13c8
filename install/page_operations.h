#pragma once
// What the installation may ask of the page it runs on, and nothing more.
#include <string>

namespace kastrell {

class PageOperations {
public:
    virtual ~PageOperations() = default;
    virtual void showProgress() = 0;
    // 0 to 24; the bar is redrawn before this returns.
    virtual void setProgress(int position) = 0;
    virtual void setStatus(const std::string& caption) = 0;
    virtual void ShowCompletedState() = 0;
};

}  // namespace kastrell
