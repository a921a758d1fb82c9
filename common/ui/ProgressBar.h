// A bar counted in parts: total parts and parts complete, complete never above total; setting
// the total starts the count again at 0. It paints itself and shows its percentage as text.
// Meant for the UI thread; a worker hands its steps over (the bar is a window).
#pragma once
#include "common/ui/Control.h"

namespace qv::ui {

enum class TBarOrientation { Horizontal, Vertical };

class TProgressBar : public TWinControl {
public:
    TProgressBar(TWinControl* parent, std::string name, int left, int top, int width, int height,
                 TBarOrientation orientation = TBarOrientation::Horizontal);

    // Negative totals count as 0.
    void SetTotalParts(int total);
    int TotalParts() const { return total_; }
    // Clamped to 0 .. TotalParts.
    void SetPartsComplete(int complete);
    int PartsComplete() const { return complete_; }
    void IncPartsByOne() { SetPartsComplete(complete_ + 1); }
    // PartsComplete / TotalParts * 100, rounded halves to even; 0 while the total is 0.
    int Percent() const;

    void SetOrientation(TBarOrientation o);
    TBarOrientation Orientation() const { return orientation_; }
    void SetShowPercent(bool show);
    COLORREF BarColor = RGB(0, 102, 204);
    COLORREF FrameColor = RGB(128, 128, 128);

protected:
    void Paint(HDC dc, const RECT& client) override;

private:
    int total_ = 0;
    int complete_ = 0;
    TBarOrientation orientation_;
    bool showPercent_ = true;
};

}  // namespace qv::ui
