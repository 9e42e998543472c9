#include "macros/macro_print.h"

#include <filesystem>

#include "platform/text.h"

namespace zul::macros {

namespace {

constexpr const char* kCrLf = "\r\n";

// One space while shorter than each given width: a Unit Code gets a space
// below 2 and another below 3 ("1" -> "1  ", "12" -> "12 "); an Action one below 3.
std::string widened(std::string cell, std::initializer_list<std::size_t> widths) {
    for (std::size_t width : widths)
        if (cell.size() < width) cell += ' ';
    return cell;
}

// " 7 " for 7, " 12" for 12.
std::string rowNumberCell(int number) {
    std::string cell = std::to_string(number);
    if (cell.size() < 2) cell += ' ';
    if (cell.size() < 3) cell.insert(0, 1, ' ');
    return cell;
}

std::string rowLine(const MacroRow& row, int number, const std::optional<int>& running) {
    std::string house = row.house;
    if (house.size() < 2) house += "  ";
    const std::string runningText = running ? formatSeconds(*running) : std::string();
    return std::string("\t") + rowNumberCell(number) + "\t" + house + "\t" + widened(row.unit, {2, 3}) + "\t" +
           widened(row.action, {3}) + "\t\t" + row.pause + "\t\t" + runningText + kCrLf + kCrLf;
}

std::string isoDate(const DateTime& t) { return t.isoText().substr(0, 10); }

std::string twoDigits(int n) {
    std::string text = n < 10 ? "0" : "";
    return text += std::to_string(n);
}

} // namespace

std::string macroPrintText(const std::vector<MacroRow>& rows, const std::string& path, const PrintStamp& stamp,
                           const Translate& translate) {
    const Translate tr = translate ? translate : Translate(untranslated);
    // The printout keeps its tabs and line ends; the file's name comes from outside.
    std::string text = std::string(kCrLf) + "   " + printable(std::filesystem::path(path).filename().string()) + kCrLf;
    text += std::string(8, '\t') + "Total" + kCrLf;
    text += std::string("\tCnt\tHC\tUC\tAct.\t\tPause\t\tPause") + kCrLf;
    text += '\t' + std::string(61, '=') + kCrLf;

    const auto totals = runningPauseMillis(rows);
    int total = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        text += rowLine(rows[i], static_cast<int>(i) + 1, totals[i]);
        if (totals[i]) total = *totals[i];
    }

    text += std::string(kCrLf) + "\t" + printable(path) + kCrLf;
    text += "   ";
    text += tr("Total Runtime") + " =  " + formatRunningTime(total) + kCrLf + kCrLf;
    text += std::string("\tIf Action = ALN (All Lights On), ALF (All Lights Off), or AUF (All Units Off) ") + kCrLf +
            "\tthen the Unit Code must = 'ALL'." + kCrLf + kCrLf;
    text += std::string("\tIf Action = DIM (Dim) or BRI (Bright), then the Unit Code must = 'PRE'.") + kCrLf + kCrLf;
    text += '\t';
    text += tr("Note:  Pause time is the time to wait before the NEXT command will execute!");
    const auto date = stamp.shortDate ? stamp.shortDate(stamp.printedAt) : isoDate(stamp.printedAt);
    const DateTime& at = stamp.printedAt;
    const std::string time = stamp.twelveHour ? std::to_string(at.hour % 12 == 0 ? 12 : at.hour % 12) + ":" +
                                                    twoDigits(at.minute) + (at.hour < 12 ? " AM" : " PM")
                                              : twoDigits(at.hour) + ":" + twoDigits(at.minute);
    text += std::string(kCrLf) + kCrLf + "  " + tr("Printed on") + " " + date + " at " + time;
    return text;
}

} // namespace zul::macros
