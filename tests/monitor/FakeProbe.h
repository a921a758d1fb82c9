// A probe that reports what the test sets; put in place for the fixture's lifetime.
#pragma once
#include "quorvane/memory/SystemProbe.h"

namespace qv::test {

class FakeProbe : public TSystemProbe {
public:
    FakeProbe() { SetSystemProbe(this); }
    ~FakeProbe() override { SetSystemProbe(nullptr); }
    FakeProbe(const FakeProbe&) = delete;
    FakeProbe& operator=(const FakeProbe&) = delete;

    TMemoryStatus MemoryStatus() const override {
        ++MemoryQueries;
        return Memory;
    }
    DWORD TickCount() const override { return Tick; }
    TProcessorTimes ProcessorTimes() const override { return Times; }

    TMemoryStatus Memory;
    DWORD Tick = 0;
    TProcessorTimes Times;
    mutable int MemoryQueries = 0;
};

}  // namespace qv::test
