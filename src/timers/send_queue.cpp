#include "timers/send_queue.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "platform/settings_backend.h"
#include "settings/settings_store.h"
#include "x10/transmitter.h"

namespace zul {

double readGapSeconds(const SettingsBackend& settings) {
    std::string text = trimBlanks(readSetting(settings, Setting::MasterPause));
    std::replace(text.begin(), text.end(), ',', '.');
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end) return DefaultGapSeconds;
    return std::max(value, 0.0);
}

SendQueue::SendQueue(EventLoop& loop, x10::Transmitter& transmitter, const SettingsBackend& settings,
                     std::deque<std::string>& buffer)
    : loop_(loop), tx_(transmitter), settings_(settings), buffer_(buffer),
      tick_(loop.createTick("tmrSendBits", FirstPeriodMs, [this] { onTick(); })) {
    tick_->setEnabled(true);
}

void SendQueue::wake() {
    if (!idle_ || tick_->running()) return;
    idle_ = false;
    tick_->setCoarse(false);
    tick_->setInterval(WakeMs);
}

void SendQueue::onTick() {
    if (buffer_.empty() && refill) refill();
    if (buffer_.empty()) {
        if (!idle_) {
            tick_->setCoarse(true); // the idle look wakes with the clock ticks
            tick_->setInterval(IdlePeriodMs);
        }
        idle_ = true;
        return;
    }
    if (idle_) tick_->setCoarse(false);
    idle_ = false;
    if (tick_->interval() != PeriodMs) tick_->setInterval(PeriodMs);
    loop_.processEvents();
    if (buffer_.empty()) return;
    // Taken off before sending: the send lets other events run, and an empty
    // entry must not block the queue for good.
    const std::string frame = std::move(buffer_.front());
    buffer_.pop_front();
    if (!frame.empty()) tx_.sendBits(frame);
    // The gap: the next step comes when it has passed. Other events run
    // meanwhile as they would in a Pause, without waking every few ms for it.
    const int gapMs = static_cast<int>(std::lround(readGapSeconds(settings_) * 1000));
    if (gapMs > 0) tick_->setInterval(gapMs);
}

} // namespace zul
