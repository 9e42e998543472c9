// zulmarin macro show FILE
// zulmarin macro write FILE HOUSE,UNIT,ACTION[,PAUSE]...
// zulmarin macro print FILE [--pdf OUT.pdf]: in zulmarin-tx, with --pdf in
// zulmarin-gui (the printout takes the system's date format, a PDF file the
// printer code)
#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <ostream>
#include <sstream>

#include "cli/cli.h"
#include "cli/started_commands.h"
#include "macros/macro_file.h"
#include "platform/package_programs.h"
#include "platform/text.h"

namespace zul::cli {

namespace {

std::vector<std::string> splitFields(const std::string& text) {
    std::vector<std::string> fields;
    std::stringstream in(text);
    std::string field;
    while (std::getline(in, field, ',')) fields.push_back(field);
    if (!text.empty() && text.back() == ',') fields.emplace_back();
    return fields;
}

// One row of the listing: its fields, or a line that does not decode as its
// raw text with the reason. The file's bytes never reach the terminal as they are.
std::string rowLine(const macros::EditorRow& r, const macros::LineProblem* problem) {
    if (problem) return problem->text + "  (line " + std::to_string(r.lineNumber) + ": " + problem->reason + ")";
    const std::string running = r.runningPauseMillis ? macros::formatSeconds(*r.runningPauseMillis) : "-";
    return r.row.house + ' ' + r.row.unit + ' ' + r.row.action + ' ' + r.row.pause + ' ' + std::to_string(r.rowNumber) +
           ' ' + running;
}

} // namespace

std::optional<macros::EditorMacro> readListedMacro(const std::string& file, Io& io, int& status) {
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        status = badInput(io, "no such macro file: " + file);
        return std::nullopt;
    }
    macros::EditorMacro macro = macros::readMacroForEditor(file);
    if (!macro.opened) {
        status = failed(io, "cannot read the macro file " + file + ": " + macro.problem);
        return std::nullopt;
    }
    return macro;
}

namespace {

int showMacro(const std::string& file, Io& io) {
    int status = 0;
    const auto read = readListedMacro(file, io, status);
    if (!read) return status;
    const macros::EditorMacro& macro = *read;
    std::map<int, const macros::LineProblem*> problems;
    for (const auto& p : macro.problems) problems[p.lineNumber] = &p;
    for (const auto& r : macro.rows) {
        const auto it = problems.find(r.lineNumber);
        io.out << printable(rowLine(r, it == problems.end() ? nullptr : it->second)) << "\n";
    }
    return macro.problems.empty() ? 0 : 1;
}

int writeMacro(const std::string& file, const Args& rowArgs, Io& io) {
    if (!file.ends_with(".cro")) return badInput(io, "a macro file name must end in .cro: '" + file + "'");
    if (rowArgs.empty()) return badInput(io, "no rows given (try macro --help)");
    std::vector<macros::MacroRow> rows;
    for (std::size_t i = 0; i < rowArgs.size(); ++i) {
        const std::string name = "row " + std::to_string(i + 1) + " '" + rowArgs[i] + "'";
        const auto f = splitFields(rowArgs[i]);
        if (f.size() != 3 && f.size() != 4) return badInput(io, name + ": expected HOUSE,UNIT,ACTION[,PAUSE]");
        const auto entered = macros::enterRow(f[0], f[1], f[2], f.size() == 4 ? f[3] : "");
        if (!entered.row) return badInput(io, name + ": " + entered.problem);
        rows.push_back(*entered.row);
    }
    const auto result = macros::writeMacroFile(file, rows);
    if (!result.ok()) return failed(io, result.problem);
    io.out << "wrote " << result.rowsWritten << (result.rowsWritten == 1 ? " row" : " rows") << " to "
           << printable(file) << "\n";
    return 0;
}

} // namespace

const char* const macroHelp = "usage: zulmarin macro show FILE.cro\n"
                              "       zulmarin macro write FILE.cro HOUSE,UNIT,ACTION[,PAUSE]...\n"
                              "       zulmarin macro print FILE.cro [--pdf OUT.pdf]\n"
                              "show   prints each row as: house unit action pause row-number running-pause\n"
                              "       (running pause in seconds: whole seconds without decimals, else up to\n"
                              "       two decimals). A line that does not decode is printed as its raw text\n"
                              "       with the reason, and the exit code is then 1. Control characters in\n"
                              "       the file are shown escaped (\\x1b). A file that cannot be read (a\n"
                              "       folder, a pipe, larger than 1 MB) also gives 1; no such file gives 2.\n"
                              "write  writes a macro file from rows such as A,1,ON,5 or C,12,ON,0.3 or\n"
                              "       B,PRE,DIM,1.5. The editor's rules apply: house letter A-P, unit 1-16,\n"
                              "       PRE (with BRI, DIM) or ALL (with ALN, ALF, AUF); BRI/DIM set the unit\n"
                              "       to PRE and ALN/ALF/AUF to ALL; the pause (seconds, at most 4\n"
                              "       characters, \".\" as decimal point) is padded to 4 characters, raised\n"
                              "       to 0.3 and is 0001 when left out. Nothing is written if any row is bad.\n"
                              "print  prints the macro's printout (the editor's \"Print the Loaded Macro\":\n"
                              "       columns aligned with tabs, CR LF line ends) on standard output, or\n"
                              "       with --pdf renders it into a PDF file as the printer would get it.\n";

int macroCommand(const Args& args, Io& io) {
    if (args.size() < 2)
        return badInput(io, "macro needs show FILE, write FILE ROW... or print FILE (try macro --help)");
    if (args[0] == "show") {
        if (args.size() != 2) return badInput(io, "macro show takes one file");
        return showMacro(args[1], io);
    }
    if (args[0] == "write") return writeMacro(args[1], Args(args.begin() + 2, args.end()), io);
    if (args[0] == "print") {
        Args words{"macro"};
        words.insert(words.end(), args.begin(), args.end());
        const bool pdf = std::find(args.begin(), args.end(), "--pdf") != args.end();
        return runInProgram(pdf ? WindowsProgram : TransmitterProgram, words, io);
    }
    return badInput(io, "unknown macro command '" + args[0] + "' (show, write or print)");
}

} // namespace zul::cli
