#pragma once
// The exit dialog: asks whether to leave setup. Yes closes every window,
// which ends the program; No, or closing the dialog, returns to the page.
#include "platform/form.h"

namespace kastrell {

class Form2 : public Form {
public:
    enum Control { Yes = 101, No, Label1 };

    Form2();

protected:
    void Form_Load() override;
    void onClick(int id) override;

private:
    void Yes_Click();
    void No_Click();
};

}  // namespace kastrell
