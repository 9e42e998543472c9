// zulmarin macro print FILE [--pdf OUT.pdf]: the editor's printout, as text
// (in zulmarin-tx: the date in the system's form takes Qt Core) or rendered
// into a PDF file (in zulmarin-gui).
#include <filesystem>
#include <ostream>

#include "cli/cli.h"
#include "cli/started_commands.h"
#include "macros/macro_print.h"
#include "platform/package_programs.h"
#include "platform/qt/short_date.h"
#include "platform/system_clock.h"
#include "platform/text.h"

namespace zul::cli {

int macroPrintCommand(const Args& args, Io& io, PdfPrinter toPdf) {
    std::string file, pdf;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--pdf") {
            if (i + 1 >= args.size() || !pdf.empty())
                return badInput(io, "--pdf needs one output file, e.g. --pdf wake.pdf");
            pdf = args[++i];
        } else if (args[i].starts_with("--") || !file.empty()) {
            return badInput(io, "macro print takes one file and --pdf OUT.pdf: '" + args[i] + "'");
        } else {
            file = args[i];
        }
    }
    if (file.empty()) return badInput(io, "macro print needs a macro file (try macro --help)");
    int status = 0;
    const auto read = readListedMacro(file, io, status);
    if (!read) return status;
    const macros::EditorMacro& macro = *read;
    if (macro.rows.empty() || macro.rows.front().row.unit.empty())
        return badInput(io, "'" + file + "' holds no command to print");
    for (const auto& p : macro.problems) say(io, file + ":" + std::to_string(p.lineNumber) + ": " + p.reason);
    std::vector<macros::MacroRow> rows;
    for (const auto& r : macro.rows) rows.push_back(r.row);
    std::error_code ec;
    const std::string path = std::filesystem::absolute(file, ec).lexically_normal().string();
    const SystemClock clock;
    const std::string text = macros::macroPrintText(rows, path, {clock.now(), qt::shortDateText, !clock.uses24Hour()});
    if (pdf.empty()) {
        io.out << text;
        return 0;
    }
    if (!toPdf) return failed(io, "PDF files are printed by " + std::string(WindowsProgram));
    return toPdf(text, pdf, io);
}

} // namespace zul::cli
