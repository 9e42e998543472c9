#include "ui/text_printer.h"

#include <QFontDatabase>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextDocument>

namespace zul::ui {

bool printPlainText(QPrinter& printer, const QString& text, const QString& documentName) {
    QTextDocument doc;
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(9);
    doc.setDefaultFont(font);
    QString lines = text;
    lines.replace("\r\n", "\n");
    doc.setPlainText(lines);
    printer.setDocName(documentName);
    doc.print(&printer);
    return printer.printerState() != QPrinter::Error;
}

PrinterSource defaultPrinter() {
    return [](QString& why) -> std::unique_ptr<QPrinter> {
        const QPrinterInfo info = QPrinterInfo::defaultPrinter();
        if (info.isNull()) {
            why = "No printer is set up on this computer.";
            return nullptr;
        }
        return std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    };
}

} // namespace zul::ui
