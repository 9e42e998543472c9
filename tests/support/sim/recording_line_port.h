#pragma once
// A line port that keeps every RTS/DTR call with its time, for tests and the
// simulated transmitter. It can be told to fail opening like a busy or
// missing port.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/line_port.h"

namespace zul::sim {

struct LineEvent {
    enum class Line { Rts, Dtr };
    std::int64_t micros = 0; // Clock::monotonicMicros at the call
    Line line = Line::Rts;
    bool high = false;
    bool rts = false; // both line levels after the call
    bool dtr = false;
};

// "RTS high", "DTR low", ...
std::string describe(const LineEvent& e);

class RecordingLinePort : public LinePort {
public:
    explicit RecordingLinePort(const Clock& clock) : clock_(clock) {}

    // Opening raises both lines (recorded as two events, RTS first).
    PortError open(const std::string& name) override;
    // Closing lowers both lines, as the serial driver does.
    void close() override;
    bool isOpen() const override { return open_; }
    std::string portName() const override { return name_; }
    // Calls while closed change nothing and are not recorded.
    void setRts(bool high) override;
    void setDtr(bool high) override;

    bool rts() const { return rts_; }
    bool dtr() const { return dtr_; }

    // Every later open fails with this error until failOpenWith(None).
    void failOpenWith(PortErrorKind kind, std::string description = "");

    const std::vector<LineEvent>& events() const { return events_; }
    void clearEvents() { events_.clear(); }
    void setListener(std::function<void(const LineEvent&)> listener) { listener_ = std::move(listener); }

    int openCount() const { return openCount_; }
    int closeCount() const { return closeCount_; }

private:
    void record(LineEvent::Line line, bool high);

    const Clock& clock_;
    bool open_ = false;
    bool rts_ = false;
    bool dtr_ = false;
    std::string name_;
    PortErrorKind failKind_ = PortErrorKind::None;
    std::string failDescription_;
    std::vector<LineEvent> events_;
    std::function<void(const LineEvent&)> listener_;
    int openCount_ = 0;
    int closeCount_ = 0;
};

} // namespace zul::sim
