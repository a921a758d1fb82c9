// The scrolling strip chart: every interval the picture moves 2 pixels to the left and the line
// is extended to its current level (percent of the height from the bottom); a grid that moves
// with the picture and a red base line at a fixed level lie behind it. Painted double-buffered
// by its own timer.
#pragma once
#include <deque>

#include "common/ui/Control.h"
#include "common/ui/Timer.h"

namespace qv::ui {

class TScope : public TWinControl {
public:
    TScope(TWinControl* parent, std::string name, int left, int top, int width, int height);

    // In units of 10 ms: 100 moves the picture once a second.
    void SetInterval(int units);
    int Interval() const { return interval_; }
    // Moving or standing still.
    void SetActive(bool on);
    bool Active() const { return timer_.Enabled(); }
    // The line's level in percent (kept within 0 to 100 when drawn); shows at the next move.
    void SetPosition(int percent) { position_ = percent; }
    int Position() const { return position_; }
    void SetBaseLine(int percent);
    int BaseLine() const { return baseLine_; }

    COLORREF BackColor = clBlack;
    COLORREF GridColor = clGreen;
    COLORREF LineColor = RGB(0, 255, 0);
    COLORREF BaseLineColor = clRed;
    int GridSize = 16;

    // One interval's move: the picture 2 pixels to the left, the line extended to Position.
    void Step();
    int Steps() const { return steps_; }
    // Forgets the line drawn so far.
    void Clear();
    // A new bitmap (the caller deletes it) with exactly the chart's pixels as they are on the screen.
    HBITMAP CopyToBitmap() const;
    // The row of the client area that a level in percent falls on.
    int RowOf(int percent) const;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void Paint(HDC dc, const RECT& client) override;

private:
    void Draw(HDC dc, int w, int h) const;
    TTimer timer_;
    int interval_ = 100;
    int position_ = 0;
    int baseLine_ = 0;
    int steps_ = 0;
    std::deque<int> levels_;  // newest last; one per move
};

}  // namespace qv::ui
