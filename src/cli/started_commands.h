#pragma once
// The subcommands zulmarin leaves to the programs it starts: send, run,
// service, remote and macro print to zulmarin-tx, macro print --pdf to zulmarin-gui.
// Each takes the arguments after its name ("print" for macro print) and
// returns the exit code.
#include <optional>
#include <string>

#include "cli/cli.h"
#include "macros/macro_file.h"

namespace zul::cli {

int sendCommand(const Args& args, Io& io);
int runCommand(const Args& args, Io& io);
int serviceCommand(const Args& args, Io& io);
int remoteCommand(const Args& args, Io& io);
// Writes the printout text into the PDF file pdf; the exit code.
using PdfPrinter = int (*)(const std::string& text, const std::string& pdf, Io& io);
// With --pdf the printout goes through toPdf (zulmarin-gui's printMacroToPdf).
int macroPrintCommand(const Args& args, Io& io, PdfPrinter toPdf);
int printMacroToPdf(const std::string& text, const std::string& pdf, Io& io);

// The macro as show and print read it; nothing (with status set and the
// reason said) when there is no such file (2) or it cannot be read (1).
std::optional<macros::EditorMacro> readListedMacro(const std::string& file, Io& io, int& status);

} // namespace zul::cli
