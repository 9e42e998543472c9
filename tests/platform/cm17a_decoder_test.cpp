#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/cm17a_decoder.h"

using namespace zul;
using namespace zul::sim;

namespace {

const std::string Header = "1101010110101010";
const std::string Footer = "10101101";

// Drives the decoder as a transmitter sees the lines: idle, then per bit its
// data state and idle again, each held stateUs.
struct Lines {
    Cm17aDecoder decoder;
    std::int64_t t = 0;
    Lines() { decoder.feed(t, true, true); }
    void send(const std::string& bits, std::int64_t stateUs = 500) {
        for (char b : bits) {
            t += stateUs;
            decoder.feed(t, b == '1', b != '1');
            t += stateUs;
            decoder.feed(t, true, true);
        }
        t += 70000; // the settle time before the next burst
    }
};

} // namespace

TEST(Cm17aDecoder, NamesCommandsLeadInAndTrailer) {
    Lines lines;
    lines.send(Header + "01100000" + "00000000" + Footer); // A1 ON
    lines.send(Header + "01100100" + "00100000" + Footer); // A9 OFF
    lines.send(Header + "00110100" + "01111000" + Footer); // P16 OFF
    lines.send(Header + "00110000" + "10001000" + Footer); // P BRI
    lines.send(Header + "11000000" + "11000000" + Footer); // K ALF
    lines.send("1000000000000000000000001");
    lines.send("10000000000000000000000000000001");
    EXPECT_EQ(lines.decoder.texts(),
              (std::vector<std::string>{"A1 ON", "A9 OFF", "P16 OFF", "P BRI", "K ALF", "lead-in", "trailer"}));
}

TEST(Cm17aDecoder, RejectsDamagedFrames) {
    const std::pair<std::string, std::string> cases[] = {
        {"1101010110101011" + std::string("01100000") + "00000000" + Footer, "malformed: bad header 1101010110101011"},
        {Header + "01100000" + "00000000" + "10101100", "malformed: bad footer 10101100"},
        {Header + "01100010" + "00000000" + Footer, "malformed: bad house byte 01100010"},
        {Header + "01100000" + "00000001" + Footer, "malformed: bad unit/function byte 00000001"},
        {Header + "01100100" + "10001000" + Footer, "malformed: units 9-16 bit set with BRI"},
    };
    for (const auto& [bits, reason] : cases) {
        Lines lines;
        lines.send(bits);
        EXPECT_EQ(lines.decoder.texts(), std::vector<std::string>{reason}) << bits;
    }
}

TEST(Cm17aDecoder, ResetGapAndShortStatesLoseTheFrame) {
    Lines reset;
    reset.send((Header + "0110").substr(0, 20));
    reset.t -= 69000;
    reset.decoder.feed(reset.t, false, true);        // a '0' begins ...
    reset.decoder.feed(reset.t + 100, false, false); // ... and both lines drop
    reset.decoder.feed(reset.t + 1000, true, true);
    reset.t += 70000;
    reset.send(Header + "01100000" + "00001000" + Footer); // A3 ON afterwards still arrives
    EXPECT_EQ(reset.decoder.texts(),
              (std::vector<std::string>{"malformed: reset (both lines low) after 20 bits", "A3 ON"}));

    Lines gap;
    gap.send(Header);
    gap.send(Header + "01100000" + "00001000" + Footer);
    EXPECT_EQ(gap.decoder.texts(), (std::vector<std::string>{"malformed: incomplete: 16 bits", "A3 ON"}));

    Lines hurried;
    hurried.decoder = Cm17aDecoder(50000, 400);
    hurried.decoder.feed(0, true, true);
    hurried.send(Header + "01100000" + "00001000" + Footer, 300);
    ASSERT_EQ(hurried.decoder.decoded().size(), 1u);
    EXPECT_EQ(hurried.decoder.decoded()[0].text, "malformed: a line state lasted 300 us, less than 400 us");
}
