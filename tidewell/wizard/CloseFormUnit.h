// The small "Please wait..." window shown while a stopped download shuts down.
#pragma once
#include "common/ui/Form.h"
#include "common/ui/StdCtrls.h"

namespace qv {

class TCloseForm : public ui::TForm {
public:
    // Created hidden; always on top of the other windows, centred on the main window when shown.
    TCloseForm();
    ui::TLabel* Label1;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
};

}  // namespace qv
