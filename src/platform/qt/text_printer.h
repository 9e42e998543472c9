#pragma once
// Plain text on a printer (or a PDF file through the same QPrinter): the
// lines as they are, tabs expanded to stops every half inch, page after page.
#include <QFont>
#include <QString>
#include <optional>
#include <string>

#include "platform/datetime.h"

class QPrinter;

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

// A date in the system's short form.
std::string shortDateText(const DateTime& t);

} // namespace zul::qt
