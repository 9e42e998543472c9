#include "platform/sim/cm17a_decoder.h"

#include <array>
#include <utility>

namespace zul::sim {

namespace {

constexpr const char* Header = "1101010110101010";
constexpr const char* Footer = "10101101";
constexpr const char* LeadIn = "1000000000000000000000001";
constexpr const char* Trailer = "10000000000000000000000000000001";

// The CM17A house codes, in the order A..P.
constexpr std::array<const char*, 16> HouseNibbles = {"0110", "0111", "0100", "0101", "1000", "1001", "1010", "1011",
                                                      "1110", "1111", "1100", "1101", "0000", "0001", "0010", "0011"};

// Function bytes that carry no unit number.
constexpr std::array<std::pair<const char*, const char*>, 5> UnitlessFunctions = {{
    {"10001000", "BRI"},
    {"10011000", "DIM"},
    {"10010000", "ALN"},
    {"11000000", "ALF"},
    {"10000000", "AUF"},
}};

DecodedSignal bad(const std::string& bits, const std::string& reason) {
    DecodedSignal s;
    s.kind = DecodedSignal::Kind::Malformed;
    s.text = "malformed: " + reason;
    s.bits = bits;
    return s;
}

char houseOf(const std::string& nibble) {
    for (std::size_t i = 0; i < HouseNibbles.size(); ++i)
        if (nibble == HouseNibbles[i]) return char('A' + i);
    return 0;
}

// Unit byte with the top bit clear: bit 6 adds 4, bit 4 adds 1, bit 3 adds
// 2, bit 5 means OFF; the low three bits are always clear.
bool decodeUnitByte(const std::string& ub, bool highUnits, int& unit, std::string& action) {
    if (ub[0] != '0' || ub.substr(5) != "000") return false;
    unit = 1 + (ub[3] == '1' ? 1 : 0) + (ub[4] == '1' ? 2 : 0) + (ub[1] == '1' ? 4 : 0) + (highUnits ? 8 : 0);
    action = ub[2] == '1' ? "OFF" : "ON";
    return true;
}

} // namespace

Cm17aDecoder::Cm17aDecoder(std::int64_t gapMicros, std::int64_t minStateMicros)
    : gapMicros_(gapMicros), minStateMicros_(minStateMicros) {}

DecodedSignal Cm17aDecoder::decodeFrame(const std::string& bits) {
    if (bits.size() != 40) return bad(bits, std::to_string(bits.size()) + " bits, a frame has 40");
    if (bits.substr(0, 16) != Header) return bad(bits, "bad header " + bits.substr(0, 16));
    if (bits.substr(32) != Footer) return bad(bits, "bad footer " + bits.substr(32));
    const std::string hb = bits.substr(16, 8);
    const std::string ub = bits.substr(24, 8);
    const char house = houseOf(hb.substr(0, 4));
    if (!house || (hb.substr(4) != "0000" && hb.substr(4) != "0100")) return bad(bits, "bad house byte " + hb);
    const bool highUnits = hb[5] == '1';

    DecodedSignal s;
    s.kind = DecodedSignal::Kind::Command;
    s.bits = bits;
    s.house = house;
    for (const auto& [code, name] : UnitlessFunctions) {
        if (ub != code) continue;
        if (highUnits) return bad(bits, std::string("units 9-16 bit set with ") + name);
        s.action = name;
        s.text = std::string(1, house) + " " + name;
        return s;
    }
    if (!decodeUnitByte(ub, highUnits, s.unit, s.action)) return bad(bits, "bad unit/function byte " + ub);
    s.text = std::string(1, house) + std::to_string(s.unit) + " " + s.action;
    return s;
}

Cm17aDecoder::State Cm17aDecoder::classify(bool rts, bool dtr) {
    if (rts && dtr) return State::Idle;
    if (rts) return State::One;
    if (dtr) return State::Zero;
    return State::Reset;
}

void Cm17aDecoder::checkDuration(std::int64_t micros) {
    if (minStateMicros_ <= 0 || !timingFault_.empty()) return;
    // Only states inside a burst count: the idle time before a frame is a gap.
    const bool inBurst = state_ != State::Idle ? bitStarted_ : !bits_.empty();
    const std::int64_t held = micros - stateSince_;
    if (inBurst && held < minStateMicros_)
        timingFault_ =
            "a line state lasted " + std::to_string(held) + " us, less than " + std::to_string(minStateMicros_) + " us";
}

void Cm17aDecoder::feed(std::int64_t micros, bool rts, bool dtr) {
    const State next = classify(rts, dtr);
    if (next == state_) return;
    const bool leavingIdle = state_ == State::Idle;
    if (leavingIdle && !bits_.empty() && micros - stateSince_ >= gapMicros_) flush();
    checkDuration(micros);

    if (next == State::Reset) {
        if (!bits_.empty()) malformed(micros, "reset (both lines low) after " + std::to_string(bits_.size()) + " bits");
        bits_.clear();
        timingFault_.clear();
        bitStarted_ = false;
    } else if (next == State::Idle) {
        if (bitStarted_) bitEnded(micros, state_ == State::One ? '1' : '0');
        bitStarted_ = false;
    } else if (leavingIdle) {
        bitStarted_ = true; // a bit begins only from idle; after a reset the transmitter is still waking up
    } else if (state_ != State::Reset) {
        malformed(micros, "one data state followed another without idle");
        bits_.clear();
        bitStarted_ = false;
    }
    state_ = next;
    stateSince_ = micros;
}

void Cm17aDecoder::bitEnded(std::int64_t micros, char bit) {
    bits_ += bit;
    DecodedSignal s;
    if (bits_ == LeadIn) {
        s.kind = DecodedSignal::Kind::LeadIn;
        s.text = "lead-in";
        s.bits = bits_;
    } else if (bits_ == Trailer) {
        s.kind = DecodedSignal::Kind::Trailer;
        s.text = "trailer";
        s.bits = bits_;
    } else if (bits_.size() == 40) {
        s = decodeFrame(bits_);
    } else {
        return;
    }
    if (!timingFault_.empty()) s = bad(bits_, timingFault_);
    s.micros = micros;
    bits_.clear();
    timingFault_.clear();
    report(std::move(s));
}

void Cm17aDecoder::flush() {
    if (!bits_.empty()) malformed(stateSince_, "incomplete: " + std::to_string(bits_.size()) + " bits");
    bits_.clear();
    timingFault_.clear();
}

void Cm17aDecoder::malformed(std::int64_t micros, const std::string& reason) {
    DecodedSignal s = bad(bits_, reason);
    s.micros = micros;
    report(std::move(s));
}

void Cm17aDecoder::report(DecodedSignal s) {
    if (listener_) listener_(s);
    if (keep_) decoded_.push_back(std::move(s));
}

std::vector<std::string> Cm17aDecoder::texts() const {
    std::vector<std::string> out;
    out.reserve(decoded_.size());
    for (const auto& s : decoded_) out.push_back(s.text);
    return out;
}

} // namespace zul::sim
