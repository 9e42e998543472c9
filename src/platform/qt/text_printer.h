#pragma once
// Plain text on a printer (or a PDF file through the same QPrinter): the
// lines as they are, tabs expanded to stops every half inch, page after page.
#include <QFont>
#include <QString>
#include <functional>
#include <optional>
#include <string>

#include "platform/qt/short_date.h"

class QPrinter;
class QWidget;

namespace zul::qt {

struct PrintFailure {
    int number = 0;
    std::string text;
};

// The font printouts and their preview use: Arial, or the desktop's nearest.
QFont printFont();
// The tab stop printouts and their preview use, for a device of the given dpi.
double printTabStop(int dotsPerInch);

// Prints text; nullopt when the job went through.
std::optional<PrintFailure> printPlainText(QPrinter& printer, const QString& text);

// Sets a printer up for a printout: false when the user gave it up. Tests put
// a PDF file in its place.
using PrinterChoice = std::function<bool(QPrinter&)>;
// The desktop's default printer; where there is none, the printer dialog.
PrinterChoice defaultPrinterChoice(QWidget* parent);

} // namespace zul::qt
