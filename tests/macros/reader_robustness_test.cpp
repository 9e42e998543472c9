// Random and truncated input to every reader: nothing crashes, and what comes
// out still keeps its promises (played codes are bits, problems name real lines).
#include <gtest/gtest.h>

#include <random>

#include "macros/cro_codes.h"
#include "macros/group_file.h"
#include "macros/macro_file.h"
#include "support/temp_dir.h"
#include "samples.h"

namespace zul::macros {
namespace {

const std::string kValidMacro = samples::kTwoRowMacro + "\"01100000100110000002\"\r\n";

// Inputs: every truncation of the valid texts, then seeded mutations and noise
// drawn mostly from the characters the files are made of.
std::vector<std::string> inputs(const std::string& valid, unsigned seed) {
    std::vector<std::string> out;
    for (std::size_t n = 0; n <= valid.size(); ++n) out.push_back(valid.substr(0, n));
    std::mt19937 rng(seed);
    const std::string alphabet = "01\"\r\n.,Group 9\t\xEF\xBB\xBF";
    auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng); };
    for (int i = 0; i < 500; ++i) {
        std::string s = valid;
        const int edits = 1 + static_cast<int>(pick(6));
        for (int e = 0; e < edits; ++e) {
            const std::size_t at = pick(s.size() + 1);
            const char c = pick(4) == 0 ? static_cast<char>(pick(256)) : alphabet[pick(alphabet.size())];
            switch (pick(3)) {
            case 0: if (at < s.size()) s[at] = c; break;
            case 1: s.insert(s.begin() + static_cast<std::ptrdiff_t>(at), c); break;
            default: if (at < s.size()) s.erase(at, 1 + pick(4)); break;
            }
        }
        out.push_back(std::move(s));
        std::string noise(pick(80), '\0');
        for (char& c : noise) c = pick(2) ? alphabet[pick(alphabet.size())] : static_cast<char>(pick(256));
        out.push_back(std::move(noise));
    }
    return out;
}

TEST(ReaderRobustness, MacroReaders) {
    for (const auto& text : inputs(kValidMacro, 1234)) {
        const auto play = playRowsOf(text);
        for (const auto& row : play.rows) {
            ASSERT_TRUE(isBitCode(row.code)) << text;
            ASSERT_GE(row.pauseMillis, 0);
        }
        const auto editor = editorRowsOf(text);
        ASSERT_GE(editor.rows.size(), play.rows.size());
        for (const auto& p : editor.problems) ASSERT_GE(p.lineNumber, 1);
        // Whatever the editor loaded either writes back or is refused, never half-written.
        std::vector<MacroRow> rows;
        for (const auto& r : editor.rows) rows.push_back(r.row);
        const auto out = macroFileBytes(rows);
        if (out.badRow == 0) ASSERT_EQ(out.bytes.size(), 24u * static_cast<std::size_t>(out.rowsWritten));
        else ASSERT_TRUE(out.bytes.empty());
    }
}

TEST(ReaderRobustness, CodeConversion) {
    CroEdit m;
    for (const auto& text : inputs("0110010000100000", 99)) {
        m.CodeToRow(text);
        std::string house = text.substr(0, 1);
        m.RowToCode(house, text, text);
        if (const auto command = decodeCode(text)) {
            const auto code = encodeRow(command->house, command->unit, command->action);
            ASSERT_TRUE(code) << text;
            ASSERT_EQ(decodeCode(*code), command) << text;
        }
        pauseMillis(text);
        enterRow(text, text, text, text);
    }
}

TEST(ReaderRobustness, GroupReaders) {
    test::TempDir dir;
    const auto file = dir / "file1.grp";
    for (const auto& text : inputs(samples::kHallGroup, 77)) {
        const auto group = parseGroupText(text);
        groupItemsText(group.items);
        ASSERT_LE(group.items.size(), text.size());
    }
    // goGrLabel on files: a sample is enough, each one touches the disk.
    int n = 0;
    for (const auto& text : inputs(samples::kHallGroup, 78)) {
        if (n++ % 40 != 0) continue;
        test::writeFile(file, text);
        goGrLabel("g", file, "");
        ASSERT_EQ(goGrLabel("p", file, "New"), "New");
        ASSERT_EQ(goGrLabel("g", file, ""), "New") << text;
    }
}

} // namespace
} // namespace zul::macros
