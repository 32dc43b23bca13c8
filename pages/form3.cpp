#include "pages/form3.h"

#include "pages/form1.h"
#include "pages/form2.h"
#include "platform/failure.h"
#include "platform/held_folder.h"
#include "platform/source_file.h"
#include "platform/text_decoding.h"
#include "platform/forms.h"
#include "platform/text_file.h"
#include "res/resource.h"

#include <string>

namespace kastrell {
namespace {

constexpr ControlDesign controls[] = {
    {.id = Form3::bnext, .kind = ControlKind::Button, .text = "Next", .rect = {2280, 2640, 855, 375},
     .enabled = false},
    {.id = Form3::Command2, .kind = ControlKind::Button, .text = "Cancel", .rect = {3360, 2640, 855, 375}},
    {.id = Form3::Check1, .kind = ControlKind::CheckBox, .text = "I Agree", .rect = {480, 2640, 1095, 255}},
    {.id = Form3::licence, .kind = ControlKind::TextBox, .rect = {840, 120, 3615, 2415}},
    {.id = Form3::Image1, .kind = ControlKind::Picture, .rect = {120, 240, 480, 480}, .icon = IDI_HELP_SELECT},
};

constexpr const char* licenceName = "file11.c";
// The licence runs on as one paragraph, which some edit controls wrap in
// time that grows with the square of its length: this much still comes up
// within about a second everywhere.
constexpr std::size_t licenceSizeLimit = 16 * 1024;

constexpr FormDesign design{.caption = "Form3", .icon = IDI_HELP_SELECT, .clientWidth = 4680,
                            .clientHeight = 3090, .controls = controls};

// The edit control breaks lines only at CR LF; a LF that the line rule left
// inside a line would otherwise show as nothing.
std::wstring withLineBreaks(const std::wstring& text) {
    std::wstring shown;
    for (wchar_t c : text) {
        if (c == L'\n') shown += L'\r';
        shown += c;
    }
    return shown;
}

}  // namespace

Form3::Form3() : Form(design) {}

std::wstring readLicence() {
    std::wstring text;
    bool tooLarge = false;
    try {
        // Held, checked and read as a copy source is: it is shown with
        // administrator rights.
        const SourceFile source(startFolder(), fromAnsiCodePage(licenceName));
        WideTextFile file(source.handle(), licenceName, licenceSizeLimit);
        tooLarge = !file.whole();
        while (!tooLarge && !file.atEnd()) text += file.readLine();
    } catch (const Failure& failure) {
        throw Failure(failure.number(), failure.description(),
                      std::string("The licence \"") + licenceName + "\" cannot be read in the folder \"" +
                          startFolder().shownName() + "\". " + failure.subject());
    }
    if (tooLarge)
        throw systemFailure(ERROR_INVALID_DATA, std::string("The licence \"") + licenceName + "\" in the folder \"" +
                                                      startFolder().shownName() + "\" is larger than " +
                                                      std::to_string(licenceSizeLimit) + " bytes (16 KiB).");
    return text;
}

void Form3::Form_Load() { setText(licence, withLineBreaks(readLicence())); }

void Form3::onClick(int id) {
    switch (id) {
    case Check1: Check1_Click(); break;
    case bnext: bnext_Click(); break;
    case Command2: Command2_Click(); break;
    }
}

void Form3::Check1_Click() { setEnabled(bnext, checkValue(Check1) == 1); }

void Form3::bnext_Click() {
    Forms::show<Form1>();
    Forms::close<Form3>();
}

void Form3::Command2_Click() { Forms::showModal<Form2>(); }

}  // namespace kastrell
