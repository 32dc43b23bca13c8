#include "pages/form2.h"

#include "pages/form1.h"
#include "pages/form3.h"
#include "platform/forms.h"

namespace kastrell {
namespace {

constexpr ControlDesign controls[] = {
    {.id = Form2::Yes, .kind = ControlKind::Button, .text = "Yes", .rect = {360, 720, 975, 375}},
    {.id = Form2::No, .kind = ControlKind::Button, .text = "No", .rect = {1680, 720, 975, 375}},
    {.id = Form2::Label1, .kind = ControlKind::Label, .rect = {120, 120, 3015, 495}},
};

constexpr FormDesign design{.caption = "Exit Setup", .icon = 0, .clientWidth = 3285, .clientHeight = 1230,
                            .controls = controls, .dialog = true};

}  // namespace

Form2::Form2() : Form(design) {}

void Form2::Form_Load() {
    setText(Label1, L"   Are you sure you want to exit setup ?\r\nTo exit click 'Yes' to Resume click 'No' ");
}

void Form2::onClick(int id) {
    switch (id) {
    case Yes: Yes_Click(); break;
    case No: No_Click(); break;
    }
}

void Form2::Yes_Click() {
    Forms::close<Form2>();
    Forms::close<Form1>();
    Forms::close<Form3>();
}

void Form2::No_Click() { Forms::close<Form2>(); }

}  // namespace kastrell
