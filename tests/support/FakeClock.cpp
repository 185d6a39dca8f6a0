#include "tests/support/FakeClock.h"

void FakeClock::Advance(qint64 ms) {
    nowMs += ms;
}

void FakeClock::Set(qint64 ms) {
    nowMs = ms;
}

qint64 FakeClock::NowMs() const {
    return nowMs;
}
