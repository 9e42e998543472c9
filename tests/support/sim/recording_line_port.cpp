#include "support/sim/recording_line_port.h"

namespace zul::sim {

std::string describe(const LineEvent& e) {
    return std::string(e.line == LineEvent::Line::Rts ? "RTS" : "DTR") + (e.high ? " high" : " low");
}

PortError RecordingLinePort::open(const std::string& name) {
    if (failKind_ != PortErrorKind::None) {
        const int number = failKind_ == PortErrorKind::Other ? 5 : static_cast<int>(failKind_);
        return {failKind_, number, failDescription_};
    }
    if (open_) close();
    open_ = true;
    name_ = name;
    ++openCount_;
    record(LineEvent::Line::Rts, true);
    record(LineEvent::Line::Dtr, true);
    return {};
}

void RecordingLinePort::close() {
    if (!open_) return;
    record(LineEvent::Line::Rts, false);
    record(LineEvent::Line::Dtr, false);
    open_ = false;
    ++closeCount_;
}

void RecordingLinePort::setRts(bool high) {
    if (open_) record(LineEvent::Line::Rts, high);
}

void RecordingLinePort::setDtr(bool high) {
    if (open_) record(LineEvent::Line::Dtr, high);
}

void RecordingLinePort::failOpenWith(PortErrorKind kind, std::string description) {
    failKind_ = kind;
    if (description.empty()) {
        description = kind == PortErrorKind::PortInUse     ? "Port already open"
                      : kind == PortErrorKind::InvalidPort ? "Invalid port number"
                                                           : "Input/output error";
    }
    failDescription_ = std::move(description);
}

void RecordingLinePort::record(LineEvent::Line line, bool high) {
    (line == LineEvent::Line::Rts ? rts_ : dtr_) = high;
    const LineEvent e{clock_.monotonicMicros(), line, high, rts_, dtr_};
    events_.push_back(e);
    if (listener_) listener_(e);
}

} // namespace zul::sim
