#pragma once
// Plain text on paper: the printouts of the program go through here.
#include <QString>
#include <functional>
#include <memory>

class QPrinter;

namespace zul::ui {

// Prints plain text (CR LF or LF line ends) in a fixed-pitch font, page after
// page. Returns false when the printer could not be started or failed.
bool printPlainText(QPrinter& printer, const QString& text, const QString& documentName);

// Where a printout goes: the system's default printer, or (in tests) a PDF
// file. Returns nothing, with the reason in why, when there is no printer.
using PrinterSource = std::function<std::unique_ptr<QPrinter>(QString& why)>;
PrinterSource defaultPrinter();

} // namespace zul::ui
