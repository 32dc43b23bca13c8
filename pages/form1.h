#pragma once
// The install page: four pictures of the scheme, a notice, a status label, a
// hidden progress bar and Back, Install and Cancel; after an installation
// only Finish. It owns the installation and the bar and label it works on.
#include "install/installation.h"
#include "install/page_operations.h"
#include "platform/file_system.h"
#include "platform/form.h"
#include "platform/registry.h"

namespace kastrell {

class Form1 : public Form, public PageOperations {
public:
    enum Control {
        progress = 101, back, Finish, bcancel1, Label1, install, Label2, Image1, Image2, Image3, Image4
    };

    Form1();

protected:
    void onClick(int id) override;

private:
    void install_Click();
    void back_Click();
    void bcancel1_Click();
    void Finish_Click();

    // What the installation may do to this page.
    void showProgress() override;
    void setProgress(int position) override;
    void setStatus(const std::string& caption) override;
    void ShowCompletedState() override;

    SystemRegistry registry_;
    SystemFileSystem files_;
    Installation installation_;
};

}  // namespace kastrell
