#pragma once
// A page that notes each operation the installation asks of it, in order.
#include "install/page_operations.h"

#include <string>
#include <vector>

namespace kastrell {

class RecordingPage : public PageOperations {
public:
    void showProgress() override { calls.push_back("showProgress"); }
    void setProgress(int position) override { calls.push_back("setProgress " + std::to_string(position)); }
    void setStatus(const std::string& caption) override { calls.push_back("setStatus " + caption); }
    void ShowCompletedState() override { calls.push_back("ShowCompletedState"); }

    bool completed() const { return !calls.empty() && calls.back() == "ShowCompletedState"; }

    std::vector<std::string> calls;
};

}  // namespace kastrell
