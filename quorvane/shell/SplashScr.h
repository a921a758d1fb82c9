// The splash window: borderless, centred on the screen, one picture that fills it.
#pragma once
#include "common/core/Handles.h"
#include "common/ui/Form.h"

namespace qv {

class TSplashScreen : public ui::TForm {
public:
    TSplashScreen();
    ui::TPanel* Image1;

private:
    GdiObject picture_;
};

}  // namespace qv
