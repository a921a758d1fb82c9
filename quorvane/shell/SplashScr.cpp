#include "quorvane/shell/SplashScr.h"

#include "quorvane/shell/Pictures.h"

namespace qv {

static ui::TFormOptions SplashOptions() {
    ui::TFormOptions o;
    o.Border = ui::TBorderStyle::None;
    o.ClientWidth = kSplashWidth;
    o.ClientHeight = kSplashHeight;
    o.Position = ui::TPosition::ScreenCenter;
    o.Color = ui::clWhite;
    return o;
}

TSplashScreen::TSplashScreen() : ui::TForm("SplashScreen", SplashOptions()), picture_(MakeSplashPicture()) {
    Image1 = Add<ui::TPanel>("Image1");
    Image1->SetBounds(0, 0, kSplashWidth, kSplashHeight);
    Image1->OnPaint = [this](ui::TWinControl*, HDC dc, const RECT&) {
        DrawPicture(dc, static_cast<HBITMAP>(picture_.get()), 0, 0);
    };
}

}  // namespace qv
