#pragma once
// Files and codes the macro tests share.
#include <string>

namespace zul::macros::samples {

// House A unit 1 ON and house C unit 12 ON.
inline const std::string kA1On = "0110000000000000";
inline const std::string kC12On = "0100010000011000";

// Group 2 labelled Hall holding A 1 ON and C 12 ON: the file file1.grp.
inline const std::string kHallGroup = "\"Group 2, Hall\"\r\n\"0110000000000000\"\r\n\"0100010000011000\"\r\n";

// A 1 ON for 5 s, then C 12 ON for 0.3 s.
inline const std::string kTwoRowMacro = "\"01100000000000000005\"\r\n\"0100010000011000"
                                        "00.3\"\r\n";

} // namespace zul::macros::samples
