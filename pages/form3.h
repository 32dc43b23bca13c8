#pragma once
// The licence page: shows the licence from "file11.c" and leads on to the
// install page only once "I Agree" is ticked.
#include "platform/form.h"

namespace kastrell {

class Form3 : public Form {
public:
    enum Control { bnext = 101, Command2, Check1, licence, Image1 };

    Form3();

protected:
    void Form_Load() override;
    void onClick(int id) override;

private:
    void Check1_Click();
    void bnext_Click();
    void Command2_Click();
};

}  // namespace kastrell
