// The Memory page's monitor on a window of its own: which figure goes into which control, the
// two ticks, the processor groups of the "CPU" tab, and the graphs' copies to the clipboard.
#include "quorvane/memory/MemoryPage.h"

#include <gtest/gtest.h>

#include <vector>

#include "UiTestSupport.h"
#include "common/core/Handles.h"
#include "common/ui/Clipboard.h"
#include "quorvane/memory/CpuUsage.h"
#include "quorvane/memory/MemoryFigures.h"
#include "quorvane/sysinfo/WindowsVersion.h"
#include "tests/monitor/FakeProbe.h"

using namespace qv;

namespace {
constexpr uint64_t MB = 1048576, GB = 1073741824;

class MonitorOnAWindow : public test::UiTest {
protected:
    void SetUp() override {
        page = std::make_unique<test::HostForm>(596, 429);
        monitor = std::make_unique<TMemoryMonitor>(page.get());
        probe.Memory = {2048 * MB, 512 * MB + 1, 4 * GB, 1 * GB};
        probe.Tick = 0;
    }
    test::FakeProbe probe;
    std::unique_ptr<test::HostForm> page;
    std::unique_ptr<TMemoryMonitor> monitor;
};

// Every pixel of a bitmap, top row first.
std::vector<DWORD> PixelsOf(HBITMAP bmp, int& w, int& h) {
    BITMAP bm{};
    GetObjectA(bmp, sizeof bm, &bm);
    w = bm.bmWidth;
    h = bm.bmHeight;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> px(static_cast<size_t>(w) * h);
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, bmp, 0, h, px.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    return px;
}

// The graph's own window as it is on the screen.
GdiObject OwnPixels(const ui::TScope* scope) {
    RECT r{0, 0, scope->Width(), scope->Height()};
    return GdiObject(ui::CopyWindowPixels(scope->Handle(), r));
}

GdiObject ClipboardBitmap() {
    GdiObject copy;
    if (!OpenClipboard(nullptr)) return copy;
    if (HANDLE h = GetClipboardData(CF_BITMAP)) copy.reset(CopyImage(h, IMAGE_BITMAP, 0, 0, 0));
    CloseClipboard();
    return copy;
}

void EmptyTheClipboard() {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
}
}  // namespace

// What is on the clipboard is exactly the graph: its size, and pixel for pixel its own window.
void ExpectClipboardHoldsTheGraph(const ui::TScope* scope) {
    GdiObject clip = ClipboardBitmap();
    ASSERT_TRUE(clip) << scope->Name() << ": no bitmap on the clipboard";
    GdiObject own = OwnPixels(scope);
    int cw = 0, ch = 0, ow = 0, oh = 0;
    std::vector<DWORD> c = PixelsOf(static_cast<HBITMAP>(clip.get()), cw, ch);
    std::vector<DWORD> o = PixelsOf(static_cast<HBITMAP>(own.get()), ow, oh);
    EXPECT_EQ(scope->Width(), cw) << scope->Name();
    EXPECT_EQ(scope->Height(), ch) << scope->Name();
    size_t differing = 0;
    for (size_t i = 0; i < c.size() && i < o.size(); ++i) differing += (c[i] & 0xFFFFFF) != (o[i] & 0xFFFFFF);
    EXPECT_EQ(0u, differing) << scope->Name() << ": pixels not those of the graph";
}

TEST_F(MonitorOnAWindow, GraphsHaveTheirSizesBaseLinesAndMenus) {
    monitor->BuildCpuTabGroups(page.get(), 8, 200);
    struct Graph {
        ui::TScope* scope;
        int width, height, baseLine;
        ui::TPopupMenu* menu;
    } graphs[] = {{monitor->JvSimScope1, 275, 129, 75, &monitor->PopupMenu5},
                  {monitor->JvSimScope3, 257, 129, 88, &monitor->PopupMenu6},
                  {monitor->JvSimScope2, 443, 140, 75, &monitor->PopupMenu4}};
    for (const Graph& g : graphs) {
        ASSERT_NE(nullptr, g.scope);
        EXPECT_EQ(g.width, g.scope->Width()) << g.scope->Name();
        EXPECT_EQ(g.height, g.scope->Height()) << g.scope->Name();
        EXPECT_EQ(g.baseLine, g.scope->BaseLine()) << g.scope->Name();
        EXPECT_EQ(100, g.scope->Interval()) << g.scope->Name() << ": one move a second";
        EXPECT_FALSE(g.scope->Active()) << g.scope->Name() << ": still until set up or ticked";
        EXPECT_EQ(g.menu, g.scope->PopupMenu) << g.scope->Name();
        ASSERT_EQ(1u, g.menu->Items().Items().size()) << g.menu->Name();
        EXPECT_EQ("&Copy to Clipboard", g.menu->Items().Items()[0]->Caption);
    }
    EXPECT_TRUE(monitor->RzProgressBar4->Orientation() == ui::TBarOrientation::Vertical);
}

TEST_F(MonitorOnAWindow, StartUpAndMemoryTickPutEachFigureInItsPlace) {
    monitor->Setup();
    EXPECT_EQ("2048 MB", monitor->Label10->Caption());
    EXPECT_EQ("1536 MB", monitor->Label7->Caption()) << "2048 MB less 512 MB and a byte, rounded up";
    EXPECT_EQ("513 MB", monitor->Label6->Caption());
    EXPECT_EQ(FormatByteSize(4.0 * GB), monitor->Label21->Caption());
    EXPECT_EQ(FormatByteSize(3.0 * GB), monitor->Label20->Caption());
    EXPECT_EQ(FormatByteSize(1.0 * GB), monitor->Label17->Caption());
    EXPECT_EQ("2048", monitor->RzLabel15->Caption());
    EXPECT_EQ("1024", monitor->RzLabel46->Caption());
    EXPECT_EQ("0", monitor->RzLabel47->Caption());
    EXPECT_EQ(ReadOSName(), monitor->Label30->Caption());
    EXPECT_EQ(25, monitor->RzProgressBar1->Percent());
    EXPECT_EQ(75, monitor->RzProgressBar2->Percent());
    EXPECT_EQ(25, monitor->JvSimScope1->Position());
    EXPECT_TRUE(monitor->JvSimScope1->Active()) << "the memory graph scrolls from start-up on";
    EXPECT_FALSE(monitor->JvSimScope3->Active()) << "the processor graph waits for its first tick";

    probe.Memory = {2048 * MB + 1, 1024 * MB, 8 * GB, 2 * GB};
    probe.Tick = 93784000;
    monitor->MemoryTick();
    EXPECT_EQ(50, monitor->RzProgressBar1->Percent());
    EXPECT_EQ(75, monitor->RzProgressBar2->Percent());
    EXPECT_EQ("1025 MB", monitor->Label7->Caption());
    EXPECT_EQ("1024 MB", monitor->Label6->Caption());
    EXPECT_EQ("1 D 2 H 3 M 4 S ", monitor->Label32->Caption());
    EXPECT_EQ(50, monitor->JvSimScope1->Position()) << "the level the bar shows";
    // Set at start-up only.
    EXPECT_EQ("2048 MB", monitor->Label10->Caption());
    EXPECT_EQ(FormatByteSize(4.0 * GB), monitor->Label21->Caption());
    EXPECT_EQ(FormatByteSize(3.0 * GB), monitor->Label20->Caption());
    EXPECT_EQ("2048", monitor->RzLabel15->Caption());

    monitor->SetRunningProcesses(37);
    EXPECT_EQ("37", monitor->Label31->Caption());
}

TEST_F(MonitorOnAWindow, ProcessorTickFeedsTheBarAndBothGraphs) {
    if (!IsNtPlatform()) GTEST_SKIP() << "the processor times come from the NT reader";
    test::HostForm cpuTab(600, 200);
    monitor->BuildCpuTabGroups(&cpuTab);
    probe.Times = {true, 1000, 5000, 2000};
    monitor->ProcessorTick();  // the first reading has nothing to compare with
    EXPECT_EQ(0, monitor->RzProgressBar4->Percent());
    EXPECT_TRUE(monitor->JvSimScope2->Active());
    EXPECT_TRUE(monitor->JvSimScope3->Active());
    // 1000 units passed (kernel 700 of which 300 idle, user 300): 70 % busy.
    probe.Times = {true, 1300, 5700, 2300};
    monitor->ProcessorTick();
    EXPECT_EQ(70, monitor->RzProgressBar4->Percent());
    EXPECT_EQ(70, monitor->JvSimScope2->Position());
    EXPECT_EQ(70, monitor->JvSimScope3->Position());
    EXPECT_FALSE(monitor->JvSimScope1->Active()) << "the processor tick leaves the memory graph alone";
}

TEST_F(MonitorOnAWindow, ProcessorTickWithoutTheCpuTabFeedsTheMemoryPageGraph) {
    if (!IsNtPlatform()) GTEST_SKIP() << "the processor times come from the NT reader";
    probe.Times = {true, 1000, 5000, 2000};
    monitor->ProcessorTick();
    probe.Times = {true, 1300, 5700, 2300};
    monitor->ProcessorTick();
    EXPECT_EQ(70, monitor->JvSimScope3->Position());
    EXPECT_EQ(nullptr, monitor->JvSimScope2);
}

TEST_F(MonitorOnAWindow, CopyOfTheCpuTabGraphIsExactlyItsPixels) {
    test::HostForm cpuTab(600, 200);
    monitor->BuildCpuTabGroups(&cpuTab);
    for (int i = 0; i < 30; ++i) {
        monitor->JvSimScope2->SetPosition(i * 3);
        monitor->JvSimScope2->Step();
    }
    EmptyTheClipboard();
    monitor->PopupMenu4.Items().Items()[0]->Click();
    ExpectClipboardHoldsTheGraph(monitor->JvSimScope2);
}
