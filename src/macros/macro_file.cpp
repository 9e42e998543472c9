#include "macros/macro_file.h"

#include "platform/text.h"
#include "platform/atomic_file.h"

namespace zul::macros {

namespace {

void addReason(std::string& problem, const std::string& reason) {
    if (!problem.empty()) problem += "; ";
    problem += reason;
}

std::string codeProblem(const std::string& code) {
    if (!isBitCode(code)) return "the code is not 16 characters of 0 and 1";
    if (!letterOfHouseByte(code.substr(0, 8))) return "house byte " + code.substr(0, 8) + " is not a house code";
    if (!commandOfUnitByte(code.substr(8))) return "unit/function byte " + code.substr(8) + " is not a command";
    return {};
}

// The code is the first 16 characters and the pause the last 4, whatever the
// line's length; a line that is not 17 to 20 characters long is reported.
MacroLine decodeLine(int lineNumber, std::string text) {
    MacroLine line;
    line.lineNumber = lineNumber;
    line.text = std::move(text);
    const std::size_t size = line.text.size();
    line.code = line.text.substr(0, 16);
    line.pause = size > 4 ? line.text.substr(size - 4) : line.text;
    const bool shaped = size >= 17 && size <= 20;
    if (!shaped)
        addReason(line.problem, "expected 16 code characters and a pause of 1 to 4 characters, found " +
                                    std::to_string(size) + " characters");
    // A line of another length is still played when its code is bits, so
    // its code and pause are checked then too.
    const bool playable = shaped || isBitCode(line.code);
    line.command = decodeCode(line.code);
    if (!line.command && playable) addReason(line.problem, codeProblem(line.code));
    line.pauseMillis = pauseMillis(line.pause);
    if (!line.pauseMillis && playable) addReason(line.problem, "pause '" + line.pause + "' is not a number of seconds");
    return line;
}

// A line's text as the readers see it: without its quotes and surrounding blanks.
std::string lineText(std::string_view line) { return trimBlanks(without(line, '"')); }

template <class Result>
Result readWith(const std::filesystem::path& file, Result (*parse)(std::string_view)) {
    const FileRead read = readDataFile(file, MacroFileLimit);
    if (!read.ok()) {
        Result refused;
        refused.problem = read.problem;
        return refused;
    }
    Result result = parse(read.bytes);
    result.opened = true;
    return result;
}

} // namespace

ParsedMacro parseMacroText(std::string_view bytes) {
    ParsedMacro parsed;
    LineCursor lines(bytes);
    int lineNumber = 0;
    for (std::string_view raw; lines.next(raw);) {
        ++lineNumber;
        std::string text = lineText(raw);
        if (text.empty()) continue; // an empty record plays nothing
        MacroLine line = decodeLine(lineNumber, std::move(text));
        if (!line.problem.empty()) parsed.problems.push_back({line.lineNumber, line.text, line.problem});
        parsed.lines.push_back(std::move(line));
    }
    return parsed;
}

PlayMacro playRowsOf(std::string_view bytes) {
    ParsedMacro parsed = parseMacroText(bytes);
    PlayMacro macro;
    macro.opened = true;
    macro.problems = std::move(parsed.problems);
    for (const auto& line : parsed.lines)
        if (isBitCode(line.code))
            macro.rows.push_back({line.code, line.pauseMillis.value_or(0), line.pauseMillis.has_value()});
    return macro;
}

PlayMacro readMacroForPlay(const std::filesystem::path& file) { return readWith(file, &playRowsOf); }

EditorMacro editorRowsOf(std::string_view bytes) {
    ParsedMacro parsed = parseMacroText(bytes);
    std::vector<MacroRow> rows;
    for (const auto& line : parsed.lines) {
        if (line.command) rows.push_back({line.command->house, line.command->unit, line.command->action, line.pause});
        else rows.push_back({line.text, "", "", line.pause});
    }
    EditorMacro macro;
    macro.opened = true;
    macro.rows = numberRows(rows);
    for (std::size_t i = 0; i < macro.rows.size(); ++i) macro.rows[i].lineNumber = parsed.lines[i].lineNumber;
    macro.problems = std::move(parsed.problems);
    return macro;
}

EditorMacro readMacroForEditor(const std::filesystem::path& file) { return readWith(file, &editorRowsOf); }

std::vector<EditorRow> numberRows(const std::vector<MacroRow>& rows) {
    const auto totals = runningPauseMillis(rows);
    std::vector<EditorRow> numbered;
    numbered.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) numbered.push_back({rows[i], static_cast<int>(i) + 1, totals[i]});
    return numbered;
}

MacroBytes macroFileBytes(const std::vector<MacroRow>& rows) {
    MacroBytes out;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const MacroRow& row = rows[i];
        if (row.unit.empty() || row.action.empty()) break;
        const auto code = encodeRow(row.house, row.unit, row.action);
        const std::string pause = row.pause.empty() ? std::string("0001") : row.pause;
        std::string problem;
        if (!code) problem = rowProblem({row.house, row.unit, row.action, "1"});
        else if (!pauseMillis(pause)) problem = "Pause must be a number of seconds in at most 4 characters.";
        if (!problem.empty()) return MacroBytes{{}, 0, static_cast<int>(i) + 1, problem};
        out.bytes += quotedLine(*code + std::string(4 - pause.size(), '0') + pause);
        ++out.rowsWritten;
    }
    return out;
}

MacroWriteResult writeMacroFile(const std::filesystem::path& file, const std::vector<MacroRow>& rows) {
    const MacroBytes content = macroFileBytes(rows);
    if (content.badRow != 0) return {0, content.badRow, content.problem};
    if (const auto ec = writeFileAtomically(file, content.bytes, MacroFileLimit))
        return {0, 0, "Cannot write " + file.string() + ": " + ec.message()};
    return {content.rowsWritten, 0, {}};
}

} // namespace zul::macros
