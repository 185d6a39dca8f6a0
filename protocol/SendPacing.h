#pragma once

#include <QtGlobal>

namespace vorlin {

// A monotonic millisecond clock. It never runs backwards, so a user who sets the wall clock back
// cannot hold back every command; tests substitute a clock they move by hand.
class Clock {
public:
    virtual ~Clock() = default;
    virtual qint64 NowMs() const = 0;
};

class SteadyClock final : public Clock {
public:
    qint64 NowMs() const override;
};

// The one rule every write to the pad obeys: the port must be open and at least a sender's
// interval of whole seconds must lie between the last write and now. Both times are cut to the
// whole second before they are subtracted, so a write at x.9 s lets a switch through at x+2.0 s
// (two whole seconds) but not at x+1.99 s (one).
class SendPacing {
public:
    // The last-send time starts as the time of construction.
    explicit SendPacing(const Clock &source);

    // Sets the last-send time to now, as at start-up: nothing goes out for a whole interval.
    void Restart();

    bool Allows(bool portOpen, int intervalSeconds) const;

    // Called after a successful write; a write that failed leaves the last-send time alone.
    void MarkSent();

    qint64 WholeSecondsSinceLastSend() const;

private:
    qint64 NowWholeSeconds() const;

    const Clock &clock;
    qint64 lastSendSecond = 0;
};

} // namespace vorlin
