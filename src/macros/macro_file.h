#pragma once
// Macro files (".cro"): one line per row, each a double quote, the 16-character
// code, the 4-character pause text, a double quote, CR LF (24 bytes). No
// header, no trailer; an empty file is an empty macro.
//
// Readers also take lines without quotes and lines ending in LF only, and
// never fail on bad input: each line that does not decode is reported with
// its line number, its text and the reason. They read to the end of the
// file: an empty line is passed over (it plays nothing and waits nothing),
// and a line of any length gives its first 16 characters as the code and its
// last 4 as the pause.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "macros/cro_codes.h"
#include "macros/macro_row.h"
#include "platform/atomic_file.h"

namespace zul::macros {

// Every reader of macro files refuses anything larger (24 bytes a row).
inline constexpr FileLimit MacroFileLimit{1024 * 1024, "a macro file is at most a few thousand rows"};

// One line of a macro file as read.
struct MacroLine {
    int lineNumber = 0;                  // counted from 1
    std::string text;                    // the line with the quotes removed
    std::string code;                    // the first 16 characters
    std::string pause;                   // the last 4 characters (the whole line when shorter)
    std::optional<MacroCommand> command; // when the code is in the tables
    std::optional<int> pauseMillis;      // when the pause is a number
    std::string problem;                 // "" when the line decodes fully
};

struct LineProblem {
    int lineNumber = 0;
    std::string text;
    std::string reason;
};

// The non-empty lines of a macro file's bytes.
struct ParsedMacro {
    std::vector<MacroLine> lines;
    std::vector<LineProblem> problems; // the lines that do not decode fully
};
ParsedMacro parseMacroText(std::string_view bytes);

// --- reading for playing ----------------------------------------------------

struct PlayRow {
    std::string code;          // 16 characters of "0" and "1"
    int pauseMillis = 0;       // 0 when the pause is not a number
    bool pauseIsNumber = true; // false: the runner decides (log it, wait its smallest wait)
    friend bool operator==(const PlayRow&, const PlayRow&) = default;
};
struct PlayMacro {
    bool opened = false;       // false: the file could not be read
    std::string problem;       // why not
    std::vector<PlayRow> rows; // in file order
    std::vector<LineProblem> problems;
};
// A line is played when its code is 16 bits; a bit code that is not in the
// tables is played unchanged, and a pause that is not a number is left for the
// runner to handle (both reported). Lines whose code is anything else are
// left out and reported, so no runner ever sends them.
PlayMacro playRowsOf(std::string_view bytes);
PlayMacro readMacroForPlay(const std::filesystem::path& file);

// --- reading into the editor ------------------------------------------------

struct EditorRow {
    MacroRow row; // a line that does not decode has its raw text as house
    int rowNumber = 0;
    std::optional<int> runningPauseMillis;
    int lineNumber = 0; // the file line it came from (0: not from a file)
};
struct EditorMacro {
    bool opened = false;
    std::string problem; // why the file could not be read
    std::vector<EditorRow> rows;
    std::vector<LineProblem> problems;
};
EditorMacro editorRowsOf(std::string_view bytes);
EditorMacro readMacroForEditor(const std::filesystem::path& file);
// Row Num and Running Pause for rows as they stand in the editor.
std::vector<EditorRow> numberRows(const std::vector<MacroRow>& rows);

// --- writing ----------------------------------------------------------------

struct MacroBytes {
    std::string bytes;
    int rowsWritten = 0; // rows up to the first without unit or action
    int badRow = 0;      // 1-based row that cannot be written (0: none)
    std::string problem; // why badRow cannot be written
};
// The file's bytes for the editor rows. Writing stops at the first row whose
// unit or action is empty. A row that is not a command of the tables, or whose
// pause is not a number of at most 4 characters, makes the whole write fail
// (badRow, problem). A short pause is padded with "0" and an empty one is "0001".
MacroBytes macroFileBytes(const std::vector<MacroRow>& rows);

struct MacroWriteResult {
    int rowsWritten = 0;
    int badRow = 0;
    std::string problem; // "" on success
    bool ok() const { return problem.empty(); }
};
// Writes the file whole (through a temporary file renamed over the old one);
// nothing is written when a row is bad.
MacroWriteResult writeMacroFile(const std::filesystem::path& file, const std::vector<MacroRow>& rows);

} // namespace zul::macros
