#pragma once
// What a CM17A transmitter makes of the RTS/DTR lines: fed every line
// change, it rebuilds the bits, assembles frames and names the command each
// one carries. Written from the transmitter's point of view and on purpose
// independent of the program's own frame builder, so tests can check one
// against the other.
//
// Line states: RTS high + DTR low is a '1', RTS low + DTR high a '0'; each
// bit ends when both lines go high (idle). Both lines low resets the
// transmitter and loses a frame in progress.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zul::sim {

struct DecodedSignal {
    enum class Kind { Command, LeadIn, Trailer, Malformed };
    Kind kind = Kind::Malformed;
    // "A1 ON", "P BRI", "K ALF"; "lead-in"; "trailer"; or "malformed: <reason>".
    std::string text;
    std::string bits;
    std::int64_t micros = 0; // when its last bit ended
    // For commands: house letter, unit 1..16 (0 for BRI/DIM and the group
    // commands) and the action name.
    char house = 0;
    int unit = 0;
    std::string action;
};

class Cm17aDecoder {
public:
    // gapMicros: an idle time this long ends an unfinished burst of bits.
    // minStateMicros: when above 0, a line state inside a frame that is
    // shorter than this makes the frame malformed.
    explicit Cm17aDecoder(std::int64_t gapMicros = 50000, std::int64_t minStateMicros = 0);

    // The line levels after a change at the given time.
    void feed(std::int64_t micros, bool rts, bool dtr);
    // Ends an unfinished burst (reported as malformed).
    void flush();

    const std::vector<DecodedSignal>& decoded() const { return decoded_; }
    // The texts of every signal so far, in order.
    std::vector<std::string> texts() const;
    void clear() { decoded_.clear(); }
    // false: signals go to the listener only.
    void setKeepSignals(bool keep) { keep_ = keep; }
    void setListener(std::function<void(const DecodedSignal&)> listener) { listener_ = std::move(listener); }

    // Decodes 40 bits on their own (header, house byte, unit/function byte, footer).
    static DecodedSignal decodeFrame(const std::string& bits);

private:
    enum class State { Idle, One, Zero, Reset };
    static State classify(bool rts, bool dtr);
    void bitEnded(std::int64_t micros, char bit);
    void report(DecodedSignal s);
    void malformed(std::int64_t micros, const std::string& reason);
    void checkDuration(std::int64_t micros);

    std::int64_t gapMicros_;
    std::int64_t minStateMicros_;
    State state_ = State::Reset; // the lines are low until the port opens
    std::int64_t stateSince_ = 0;
    bool bitStarted_ = false;
    std::string bits_;
    std::string timingFault_;
    std::vector<DecodedSignal> decoded_;
    bool keep_ = true;
    std::function<void(const DecodedSignal&)> listener_;
};

} // namespace zul::sim
