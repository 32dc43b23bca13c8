#include "pages/form1.h"

#include "pages/form2.h"
#include "pages/form3.h"
#include "platform/forms.h"
#include "platform/text_decoding.h"
#include "res/resource.h"

namespace kastrell {
namespace {

constexpr FontDesign noticeFont{"Times New Roman", 1425, 204};

constexpr ControlDesign controls[] = {
    {.id = Form1::progress, .kind = ControlKind::ProgressBar, .rect = {360, 1920, 3855, 375},
     .visible = false, .maximum = 24},
    {.id = Form1::back, .kind = ControlKind::Button, .text = "Back", .rect = {1200, 2520, 855, 375}},
    {.id = Form1::Finish, .kind = ControlKind::Button, .text = "Finish", .rect = {2160, 2520, 855, 375},
     .visible = false},
    {.id = Form1::bcancel1, .kind = ControlKind::Button, .text = "Cancel", .rect = {3240, 2520, 975, 375}},
    {.id = Form1::Label1, .kind = ControlKind::Label, .rect = {1320, 1560, 1815, 255}},
    {.id = Form1::install, .kind = ControlKind::Button, .text = "Install", .rect = {2160, 2520, 855, 375}},
    {.id = Form1::Label2, .kind = ControlKind::Label, .text = "Art by the Kastrell authors",
     .rect = {240, 240, 4215, 495}, .font = &noticeFont, .textColour = RGB(0, 0, 0)},
    {.id = Form1::Image1, .kind = ControlKind::Picture, .rect = {600, 960, 480, 480}, .icon = IDI_NORMAL_SELECT},
    {.id = Form1::Image2, .kind = ControlKind::Picture, .rect = {2400, 840, 480, 480}, .icon = IDI_HELP_SELECT},
    {.id = Form1::Image3, .kind = ControlKind::Picture, .rect = {1200, 960, 480, 480}, .icon = IDI_BUSY},
    {.id = Form1::Image4, .kind = ControlKind::Picture, .rect = {3600, 1080, 480, 480}, .icon = IDI_WORKING},
};

constexpr FormDesign design{
    .caption = "Talven's Mouse", .icon = IDI_NORMAL_SELECT, .clientWidth = 4680, .clientHeight = 3090,
    .controls = controls};

}  // namespace

Form1::Form1() : Form(design), installation_(*this, registry_, files_) {}

void Form1::onClick(int id) {
    switch (id) {
    case install: install_Click(); break;
    case back: back_Click(); break;
    case bcancel1: bcancel1_Click(); break;
    case Finish: Finish_Click(); break;
    }
}

void Form1::install_Click() {
    installation_.run();
    // Clicks made while the installation ran were meant for the page it replaced.
    Forms::discardPendingInput();
}

void Form1::back_Click() {
    Forms::show<Form3>();
    Forms::close<Form1>();
}

void Form1::bcancel1_Click() { Forms::showModal<Form2>(); }

void Form1::Finish_Click() { Forms::close<Form1>(); }

void Form1::showProgress() { setVisible(progress, true); }

void Form1::setProgress(int position) { setPosition(progress, position); }

void Form1::setStatus(const std::string& caption) { setText(Label1, fromAnsiCodePage(caption)); }

void Form1::ShowCompletedState() {
    setVisible(back, false);
    setEnabled(bcancel1, false);
    setVisible(install, false);
    setVisible(Finish, true);
}

}  // namespace kastrell
