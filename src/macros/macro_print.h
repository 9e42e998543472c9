#pragma once
// The printout of a macro: plain text aligned with tabs, CR LF line ends,
// sent to the printer unchanged or shown in the preview window.
#include <functional>
#include <string>
#include <vector>

#include "macros/group_file.h"
#include "macros/macro_row.h"
#include "platform/datetime.h"

namespace zul::macros {

struct PrintStamp {
    DateTime printedAt;
    // The date in the system's short form; "YYYY-MM-DD" when not given.
    std::function<std::string(const DateTime&)> shortDate;
    // The clock's style: "7:05 PM" on the 12-hour clock, else "19:05".
    bool twelveHour = false;
};

// The whole printout for the editor's rows and the macro's path.
std::string macroPrintText(const std::vector<MacroRow>& rows, const std::string& path, const PrintStamp& stamp,
                           const Translate& translate = untranslated);

} // namespace zul::macros
