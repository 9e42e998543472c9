#include "macros/macro_print.h"

#include <gtest/gtest.h>

namespace zul::macros {
namespace {

PrintStamp stamp() {
    PrintStamp s;
    s.printedAt = DateTime{2024, 3, 5, 14, 7, 0, 0};
    s.shortDate = [](const DateTime&) { return std::string("05.03.2024"); };
    return s;
}

TEST(MacroPrint, WholeTextOfATwoRowMacro) {
    const std::string text =
        macroPrintText({{"A", "1", "ON", "0005"}, {"C", "12", "ON", "00.3"}}, "/home/u/macros/Hall.cro", stamp());
    const std::string expected = "\r\n   Hall.cro\r\n"
                                 "\t\t\t\t\t\t\t\tTotal\r\n"
                                 "\tCnt\tHC\tUC\tAct.\t\tPause\t\tPause\r\n"
                                 "\t=============================================================\r\n"
                                 "\t 1 \tA  \t1  \tON \t\t0005\t\t5\r\n\r\n"
                                 "\t 2 \tC  \t12 \tON \t\t00.3\t\t5.3\r\n\r\n"
                                 "\r\n\t/home/u/macros/Hall.cro\r\n"
                                 "   Total Runtime =  5.3 sec\r\n\r\n"
                                 "\tIf Action = ALN (All Lights On), ALF (All Lights Off), or AUF (All Units Off) \r\n"
                                 "\tthen the Unit Code must = 'ALL'.\r\n\r\n"
                                 "\tIf Action = DIM (Dim) or BRI (Bright), then the Unit Code must = 'PRE'.\r\n\r\n"
                                 "\tNote:  Pause time is the time to wait before the NEXT command will execute!"
                                 "\r\n\r\n  Printed on 05.03.2024 at 14:07";
    EXPECT_EQ(text, expected);
}

TEST(MacroPrint, TwelveRowsWidenedCellsAndTranslatedWords) {
    std::vector<MacroRow> rows(12, MacroRow{"B", "PRE", "DIM", "0010"});
    rows[0] = {"A", "ALL", "AUF", "0115"};
    const auto tr = [](const std::string& s) { return s == "Total Runtime" ? std::string("Gesamtzeit") : s; };
    PrintStamp plain;
    plain.printedAt = DateTime{2024, 12, 31, 9, 5, 0, 0};
    const std::string text = macroPrintText(rows, "m.cro", plain, tr);
    EXPECT_NE(text.find("\t 1 \tA  \tALL\tAUF\t\t0115\t\t115\r\n\r\n"), std::string::npos);
    EXPECT_NE(text.find("\t 9 \tB  \tPRE\tDIM\t\t0010\t\t195\r\n\r\n"), std::string::npos);
    EXPECT_NE(text.find("\t 12\tB  \tPRE\tDIM\t\t0010\t\t225\r\n\r\n"), std::string::npos);
    EXPECT_NE(text.find("   Gesamtzeit =  3m 45.0s\r\n"), std::string::npos);
    EXPECT_TRUE(text.ends_with("Printed on 2024-12-31 at 09:05"));
    plain.twelveHour = true;
    EXPECT_TRUE(macroPrintText(rows, "m.cro", plain, tr).ends_with("Printed on 2024-12-31 at 9:05 AM"));
}

} // namespace
} // namespace zul::macros
