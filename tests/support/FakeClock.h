#pragma once

#include "protocol/SendPacing.h"

// A clock the test moves by hand, so pacing is tested without waiting. Like the real clock it
// should only be moved forwards.
class FakeClock final : public vorlin::Clock {
public:
    explicit FakeClock(qint64 startMs = 0) : nowMs(startMs) {}

    void Advance(qint64 ms);
    void Set(qint64 ms);
    qint64 NowMs() const override;

private:
    qint64 nowMs;
};
