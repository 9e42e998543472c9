#include "macros/macro_file.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "samples.h"

namespace zul::macros {
namespace {

using samples::kTwoRowMacro;
using test::readFile;
using test::TempDir;
using test::writeFile;

TEST(MacroFileWrite, RowsPausesAndTheFirstIncompleteRow) {
    const struct {
        std::vector<MacroRow> rows;
        const char* bytes;
    } cases[] = {
        {{{"A", "1", "ON", "0005"}, {"C", "12", "ON", "00.3"}}, // the worked example: 48 bytes
         "\"01100000000000000005\"\r\n\"0100010000011000"
         "00.3\"\r\n"},
        {{{"A", "PRE", "DIM", "0002"}, {"B", "ALL", "ALF", "01.5"}},
         "\"01100000100110000002\"\r\n\"0111000011000000"
         "01.5\"\r\n"},
        {{{"A", "1", "ON", "5"}}, "\"01100000000000000005\"\r\n"}, // short pauses are padded
        {{{"A", "1", "ON", ""}}, "\"01100000000000000001\"\r\n"},  // and an empty one is one second
        // Writing stops at the first row without unit or action.
        {{{"A", "", "ON", "0005"}, {"A", "1", "ON", "0005"}}, ""},
        {{{"A", "1", "ON", "0005"}, {"A", "2", "", "0005"}, {"A", "3", "ON", "0005"}}, "\"01100000000000000005\"\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(macroFileBytes(c.rows).bytes, c.bytes);
}

TEST(MacroFileWrite, ABadRowWritesNothingAndNamesTheRow) {
    TempDir dir;
    const auto file = dir / "keep.cro";
    writeFile(file, kTwoRowMacro);
    for (const MacroRow& bad : {MacroRow{"A", "ALL", "ON", "0005"}, MacroRow{"Z", "1", "ON", "0005"},
                                MacroRow{"A", "1", "ON", "error"}, MacroRow{"A", "1", "ON", "12345"}}) {
        const auto result = writeMacroFile(file, {{"A", "1", "ON", "0005"}, bad});
        EXPECT_FALSE(result.ok());
        EXPECT_EQ(result.badRow, 2);
        EXPECT_EQ(readFile(file), kTwoRowMacro) << "the old file is untouched";
    }
    EXPECT_EQ(writeMacroFile(file, {{"A", "ALL", "ON", "0005"}}).problem, "Unit Code must be 1 to 16 with ON and OFF.");
}

TEST(MacroFileRead, RoundTripThroughTheEditor) {
    TempDir dir;
    const auto file = dir / "trip.cro";
    const std::vector<MacroRow> rows = {
        {"A", "1", "ON", "9999"}, {"A", "9", "OFF", "00.3"}, {"P", "PRE", "BRI", "01.5"}, {"K", "ALL", "AUF", "0001"}};
    ASSERT_TRUE(writeMacroFile(file, rows).ok());
    const EditorMacro macro = readMacroForEditor(file);
    ASSERT_TRUE(macro.opened);
    EXPECT_TRUE(macro.problems.empty());
    ASSERT_EQ(macro.rows.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(macro.rows[i].row, rows[i]);
        EXPECT_EQ(macro.rows[i].rowNumber, static_cast<int>(i) + 1);
    }
    EXPECT_EQ(macro.rows[1].runningPauseMillis, 9999300);
    EXPECT_EQ(macro.rows[3].runningPauseMillis, 10001800);

    const PlayMacro play = readMacroForPlay(file);
    ASSERT_EQ(play.rows.size(), 4u);
    EXPECT_EQ(play.rows[0], (PlayRow{"0110000000000000", 9999000}));
    EXPECT_EQ(play.rows[1], (PlayRow{"0110010000100000", 300}));
}

TEST(MacroFileRead, HandWrittenFilesReadTheSame) {
    const std::string withoutQuotesLf = "01100000000000000005\n0100010000011000"
                                        "00.3\n";
    const std::string shortPausesNoFinalBreak = "0110000000000000"
                                                "5\r\n\"0100010000011000"
                                                ".3\"";
    const std::string blanksAndBom = "\xEF\xBB\xBF  \"01100000000000000005\" \r\n\t0100010000011000"
                                     "00.3\r\n";
    const auto expected = playRowsOf(kTwoRowMacro).rows;
    ASSERT_EQ(expected.size(), 2u);
    for (const auto& text : {withoutQuotesLf, shortPausesNoFinalBreak, blanksAndBom}) {
        const auto play = playRowsOf(text);
        EXPECT_EQ(play.rows, expected) << text;
        EXPECT_TRUE(play.problems.empty()) << text;
    }
    EXPECT_EQ(editorRowsOf(withoutQuotesLf).rows.at(1).row, (MacroRow{"C", "12", "ON", "00.3"}));
}

TEST(MacroFileRead, EmptyLinesArePassedOverAndEveryLineToTheEndIsRead) {
    EXPECT_TRUE(playRowsOf("").rows.empty());
    EXPECT_TRUE(editorRowsOf("").problems.empty());
    const std::string text = "\r\n\"01100000000000000005\"\r\n\r\n\"\"\r\n\"0100010000011000"
                             "00.3\"\r\n";
    const auto play = playRowsOf(text);
    EXPECT_EQ(play.rows, playRowsOf(kTwoRowMacro).rows);
    EXPECT_TRUE(play.problems.empty());
    const auto editor = editorRowsOf(text);
    ASSERT_EQ(editor.rows.size(), 2u);
    EXPECT_EQ(editor.rows[1].row, (MacroRow{"C", "12", "ON", "00.3"}));
    EXPECT_EQ(editor.rows[1].rowNumber, 2);
    EXPECT_EQ(editor.rows[1].lineNumber, 5);
    EXPECT_FALSE(readMacroForPlay("/nonexistent/folder/x.cro").opened);
}

TEST(MacroFileRead, EachBadLineIsReportedAndGoodLinesStay) {
    const std::string text = "\"01100000000000000005\"\r\n" // fine
                             "\"0110000000000001"
                             "0005\"\r\n" // bits, but no such command
                             "\"0110000000000000"
                             "00x5\"\r\n"  // pause not a number
                             "garbage\r\n" // wrong shape
                             "\"0120000000000000"
                             "0005\"\r\n"                    // not bits
                             "\"01100000000000000002\"\r\n"; // fine
    const auto play = playRowsOf(text);
    ASSERT_EQ(play.problems.size(), 4u);
    EXPECT_EQ(play.problems[0].lineNumber, 2);
    EXPECT_EQ(play.problems[0].reason, "unit/function byte 00000001 is not a command");
    EXPECT_EQ(play.problems[1].reason, "pause '00x5' is not a number of seconds");
    EXPECT_EQ(play.problems[2].text, "garbage");
    EXPECT_EQ(play.problems[2].reason,
              "expected 16 code characters and a pause of 1 to 4 characters, found 7 characters");
    EXPECT_EQ(play.problems[3].reason, "the code is not 16 characters of 0 and 1");
    // Lines of bits are played unchanged, even when not in the tables or
    // when the pause is bad; the runner decides about the pause.
    ASSERT_EQ(play.rows.size(), 4u);
    EXPECT_EQ(play.rows[1], (PlayRow{"0110000000000001", 5000}));
    EXPECT_EQ(play.rows[2], (PlayRow{"0110000000000000", 0, false}));

    // Any length: the first 16 characters are the code, the last 4 the pause;
    // the odd length is reported and the rows after it still play.
    const auto odd = playRowsOf("\"0110000000000000\"\r\n\"0110000000100000xx0002\"\r\n\"01100000000000000005\"\r\n");
    ASSERT_EQ(odd.problems.size(), 2u);
    EXPECT_EQ(odd.problems[1].lineNumber, 2);
    EXPECT_EQ(odd.rows,
              (std::vector<PlayRow>{{"0110000000000000", 0}, {"0110000000100000", 2000}, {"0110000000000000", 5000}}));

    const auto editor = editorRowsOf(text);
    ASSERT_EQ(editor.rows.size(), 6u);
    EXPECT_EQ(editor.rows[3].row, (MacroRow{"garbage", "", "", "bage"})) << "raw text in the House Code cell";
    EXPECT_EQ(editor.rows[5].row, (MacroRow{"A", "1", "ON", "0002"}));
}

} // namespace
} // namespace zul::macros
