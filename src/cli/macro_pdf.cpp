// The printout of macro print --pdf, drawn offscreen into a PDF file by the
// printer code of the desktop program (zulmarin-gui).
#include <QGuiApplication>
#include <QPrinter>
#include <memory>
#include <ostream>

#include "cli/started_commands.h"
#include "platform/qt/text_printer.h"
#include "platform/text.h"

namespace zul::cli {

int printMacroToPdf(const std::string& text, const std::string& pdf, Io& io) {
    std::unique_ptr<QGuiApplication> qtApp;
    if (!QCoreApplication::instance()) {
        // No window is shown: the printout is drawn offscreen.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "zulmarin";
        static char* argv[] = {name, nullptr};
        qtApp = std::make_unique<QGuiApplication>(argc, argv);
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf));
    if (const auto failure = qt::printPlainText(printer, QString::fromStdString(text))) {
        return failed(io, "cannot print to " + pdf + ": " + failure->text);
    }
    io.out << "printed " << printable(pdf) << "\n";
    return 0;
}

} // namespace zul::cli
