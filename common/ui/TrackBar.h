// The common controls' track bar: Min, Max, Position, a tick mark every Frequency positions,
// ticks above or below. OnChange runs whenever the position changes, by the user or from code.
#pragma once
#include "common/ui/Control.h"

namespace qv::ui {

class TTrackBar : public TControl {
public:
    TTrackBar(TWinControl* parent, std::string name, int left, int top, int width, int height = 32);

    void SetMin(int v);
    void SetMax(int v);
    int Min() const { return min_; }
    int Max() const { return max_; }
    // Clamped to Min .. Max; OnChange runs when set from code, also when the value stays the same,
    // so that whatever shows the position is brought up to date.
    void SetPosition(int v);
    int Position() const { return position_; }
    void SetFrequency(int every);
    void SetTicksAbove(bool above);

    TNotifyEvent OnChange;

    bool HandleScroll(WORD code) override;

private:
    void ApplyRange();
    int min_ = 0, max_ = 10, position_ = 0;
};

}  // namespace qv::ui
