#pragma once
// The licence page: shows the licence from "file11.c" and leads on to the
// install page only once "I Agree" is ticked.
#include "platform/form.h"

#include <string>

namespace kastrell {

// The licence from "file11.c" in the folder setup started in, its lines run on as the
// page shows them. Throws Failure naming the file and the folder when it
// cannot be read or is larger than the page shows.
std::wstring readLicence();

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
