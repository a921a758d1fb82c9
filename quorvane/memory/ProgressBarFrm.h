// The small window a visible wash shows: a bar counted in parts and "Cancel". The user closing
// it in any way (Cancel, Esc, the close box) while a wash runs asks that wash to stop; the
// wash closing it itself does not.
#pragma once
#include "common/ui/Form.h"
#include "common/ui/ProgressBar.h"
#include "common/ui/StdCtrls.h"

namespace qv {

class TProgressFrm : public ui::TForm {
public:
    TProgressFrm();

    ui::TProgressBar* RzProgressBar1;
    ui::TButton* Button1;  // "Cancel"

    // Called when the user closes the window while the wash has it shown; empty: skipped.
    ui::TNotifyEvent OnCancel;
    // False while the wash has the window shown; true from just before the wash closes it.
    bool ClosingByProgram = true;

    // Used by the wash, on the UI thread: shows without making it modal, and closes.
    void ShowByProgram();
    void CloseByProgram();

private:
    void FormCloseQuery(bool& canClose);
    void Button1Click();
};

}  // namespace qv
