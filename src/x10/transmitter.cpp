#include "x10/transmitter.h"

#include <algorithm>
#include <charconv>

#include "settings/setting_keys.h"
#include "settings/error_log.h"
#include "x10/x10_codes.h"

namespace zul::x10 {

namespace {
// Seconds of the day at which the day is taken to end.
constexpr double DayEndSeconds = 86399.99;
constexpr double SettleSeconds = 0.07;
constexpr int PauseStepMs = 5;
constexpr int TrailerGapMs = 150;

// The busy part covers the lateness seen and this much more: the next
// wake-up may come a little later still.
constexpr int LateSlackMicros = 50;

int clampState(int us) { return std::clamp(us, DefaultBitStateMicros, MaxBitStateMicros); }
} // namespace

int readBitStateMicros(const SettingsBackend& settings) {
    const auto text = settings.read(Setting::BitStateMicros);
    if (!text) return DefaultBitStateMicros;
    const auto first = text->find_first_not_of(' ');
    if (first == std::string::npos) return DefaultBitStateMicros;
    long value = 0;
    const char* begin = text->data() + first;
    const char* end = text->data() + text->size();
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec == std::errc::result_out_of_range) return MaxBitStateMicros;
    if (ec != std::errc() || ptr == begin) return DefaultBitStateMicros;
    return clampState(static_cast<int>(std::clamp<long>(value, 0, MaxBitStateMicros)));
}

void noteFrameRefusal(ErrorLog& log, std::error_code refusal) {
    log.logErrorOnce("SendBits", "modX10", refusal.value(),
                     "real-time scheduling refused: " + refusal.message() + "; frames go out at normal priority");
}

Transmitter::Transmitter(LinePort& port, EventLoop& loop, const Clock& clock, const bool& stopAll, int stateMicros)
    : port_(port), loop_(loop), clock_(clock), stopAll_(stopAll), stateMicros_(clampState(stateMicros)) {}

void Transmitter::setStateMicros(int us) { stateMicros_ = clampState(us); }

void Transmitter::setSpinMicros(int us, int maxUs) {
    spinMicros_ = std::max(us, 0);
    maxSpinMicros_ = std::max(maxUs, spinMicros_);
    margin_ = spinMicros_;
    lateNow_ = lateLast_ = 0;
}

void Transmitter::holdState() {
    // Counted from the moment the lines were set and slept to an absolute
    // deadline, so no state is ever shorter than the state time (a short
    // state is one the transmitter may miss) and a frame costs 80 states plus
    // only the time of the line changes themselves.
    const std::int64_t end = clock_.monotonicMicros() + stateMicros_;
    if (spinMicros_ <= 0) {
        loop_.sleepUntilMicros(end);
        return;
    }
    const std::int64_t wake = end - margin_;
    loop_.sleepUntilMicros(wake);
    wokeLate(clock_.monotonicMicros() - wake);
    while (clock_.monotonicMicros() < end) {}
}

void Transmitter::wokeLate(std::int64_t micros) {
    lateNow_ = std::max(lateNow_, micros);
    margin_ = static_cast<int>(std::clamp<std::int64_t>(micros + LateSlackMicros, margin_, maxSpinMicros_));
}

namespace {
// The frame's bits go out at raised priority; the settle pause before them
// (which runs other events) and everything after them at the normal one.
class RaisedForFrame {
public:
    explicit RaisedForFrame(FramePriority* p) : p_(p) {
        if (p_) p_->beginFrame();
    }
    ~RaisedForFrame() {
        if (p_) p_->endFrame();
    }
    RaisedForFrame(const RaisedForFrame&) = delete;
    RaisedForFrame& operator=(const RaisedForFrame&) = delete;

private:
    FramePriority* p_;
};
} // namespace

void Transmitter::sendBits(const std::string& bits) {
    pause(SettleSeconds);
    sendBitsNow(bits);
    const auto observers = observers_; // an observer may remove itself
    for (const auto& o : observers) o.call(bits);
}

void Transmitter::sendBitsNow(const std::string& bits) {
    // The frame starts as wide as the last one's late wake-ups asked for.
    margin_ = spinMicros_;
    wokeLate(lateLast_);
    lateNow_ = 0;
    // From here to the last bit nothing else of the program runs.
    const RaisedForFrame raised(priority_);
    for (const char c : bits) {
        if (c == '1') {
            port_.setRts(true);
            port_.setDtr(false);
        } else {
            port_.setRts(false);
            port_.setDtr(true);
        }
        holdState();
        port_.setRts(true); // both high: the idle, powered state
        port_.setDtr(true);
        holdState();
    }
    lateLast_ = lateNow_;
}

void Transmitter::pause(double seconds) {
    if (!(seconds > 0)) return;
    const double startOfDay = clock_.now().secondsOfDay();
    const double untilMidnight = DayEndSeconds - startOfDay;
    double target = startOfDay + seconds;
    // The time of day decides, as everywhere in the program; the monotonic
    // span is a backstop so that a clock set back (or the end of daylight
    // saving) cannot stretch a pause by an hour.
    const std::int64_t startMicros = clock_.monotonicMicros();
    const auto spanMicros = static_cast<std::int64_t>(seconds * 1e6);
    bool wrapped = false;
    // The time of day; once it has wrapped past midnight, the target becomes
    // the part of the wait that falls in the new day.
    auto timeOfDay = [&] {
        const double t = clock_.now().secondsOfDay();
        if (!wrapped && t < startOfDay) {
            wrapped = true;
            target = seconds - untilMidnight;
        }
        return t;
    };
    auto spanOver = [&] { return clock_.monotonicMicros() - startMicros >= spanMicros; };
    do {
        loop_.processEvents();
        timeOfDay();
        if (stopAll_) return;
        // Never sleep past the end of the wait: 5 ms steps would otherwise
        // add up to several milliseconds of lateness on every pause.
        loop_.sleepUntilMicros(std::min(clock_.monotonicMicros() + PauseStepMs * 1000, startMicros + spanMicros));
    } while (timeOfDay() < target && !spanOver());
}

void Transmitter::endOfRun() {
    sendBits(MacroTrailer);
    loop_.sleepMs(TrailerGapMs);
    sendBits(MacroTrailer);
}

int Transmitter::addSentObserver(SentObserver observer) {
    observers_.push_back({nextObserverId_, std::move(observer)});
    return nextObserverId_++;
}

void Transmitter::removeSentObserver(int id) {
    observers_.erase(
        std::remove_if(observers_.begin(), observers_.end(), [id](const Observer& o) { return o.id == id; }),
        observers_.end());
}

} // namespace zul::x10
