#include "platform/qt/text_printer.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <cmath>

namespace zul::qt {

namespace {
constexpr int kFontPoints = 10;
constexpr double kTabStopInches = 0.5;
} // namespace

QFont printFont() {
    QFont font("Arial", kFontPoints);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

double printTabStop(int dotsPerInch) { return kTabStopInches * dotsPerInch; }

namespace {
// Draws one line, each tab moving on to the next tab stop.
void drawLine(QPainter& painter, const QFontMetricsF& metrics, const QString& line, qreal y, qreal tabStop) {
    qreal x = 0;
    const QStringList pieces = line.split('\t');
    for (int i = 0; i < pieces.size(); ++i) {
        if (i > 0) x = (std::floor(x / tabStop + 1e-6) + 1) * tabStop;
        painter.drawText(QPointF(x, y + metrics.ascent()), pieces[i]);
        x += metrics.horizontalAdvance(pieces[i]);
    }
}
} // namespace

std::optional<PrintFailure> printPlainText(QPrinter& printer, const QString& text) {
    QPainter painter;
    if (!painter.begin(&printer)) return PrintFailure{1, "The printer could not be started."};
    const QFont font = printFont();
    painter.setFont(font);
    const QFontMetricsF metrics(painter.font(), painter.device());
    // The painter's origin is the top left corner of the printable area.
    const qreal pageHeight = printer.pageRect(QPrinter::DevicePixel).height();
    const qreal tabStop = printTabStop(printer.resolution());
    qreal y = 0;
    QString body = text;
    body.replace("\r\n", "\n");
    for (const QString& line : body.split('\n')) {
        if (y + metrics.lineSpacing() > pageHeight && y > 0) {
            if (!printer.newPage()) {
                painter.end();
                return PrintFailure{2, "The printer could not start a new page."};
            }
            y = 0;
        }
        drawLine(painter, metrics, line, y, tabStop);
        y += metrics.lineSpacing();
    }
    painter.end();
    if (printer.printerState() == QPrinter::Error) return PrintFailure{3, "The printer reported an error."};
    return std::nullopt;
}

PrinterChoice defaultPrinterChoice(QWidget* parent) {
    return [parent](QPrinter& printer) {
        if (!QPrinterInfo::defaultPrinter().isNull()) return true; // a new QPrinter is set to it
        QPrintDialog dialog(&printer, parent);
        return dialog.exec() == QDialog::Accepted;
    };
}

} // namespace zul::qt
