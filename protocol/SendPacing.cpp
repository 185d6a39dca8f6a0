#include "protocol/SendPacing.h"

#include <chrono>

namespace vorlin {

qint64 SteadyClock::NowMs() const {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

SendPacing::SendPacing(const Clock &source) : clock(source) {
    Restart();
}

void SendPacing::Restart() {
    lastSendSecond = NowWholeSeconds();
}

bool SendPacing::Allows(bool portOpen, int intervalSeconds) const {
    return portOpen && WholeSecondsSinceLastSend() >= intervalSeconds;
}

void SendPacing::MarkSent() {
    lastSendSecond = NowWholeSeconds();
}

qint64 SendPacing::WholeSecondsSinceLastSend() const {
    return NowWholeSeconds() - lastSendSecond;
}

qint64 SendPacing::NowWholeSeconds() const {
    // Floor division: a clock that starts below zero still counts whole seconds the same way.
    const qint64 ms = clock.NowMs();
    return ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
}

} // namespace vorlin
