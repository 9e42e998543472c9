#include "ui/print_preview.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/app.h"
#include "app/help.h"
#include "platform/qt/text_printer.h"
#include "ui/widgets.h"

namespace zul::ui {

PrintPreview::PrintPreview(app::App& app, QWidget* parent) : QDialog(parent) {
    setWindowTitle(q(app.tr("Print Preview")));
    auto* v = new QVBoxLayout(this);
    text_ = new QPlainTextEdit(this);
    text_->setFont(qt::printFont());
    text_->setTabStopDistance(qt::printTabStop(logicalDpiX()));
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    v->addWidget(text_, 1);
    auto* row = new QHBoxLayout;
    print_ = new QPushButton(q(app.tr("&Print")), this);
    close_ = new QPushButton(q(app.tr("&Close")), this);
    print_->setAutoDefault(false);
    close_->setAutoDefault(false);
    row->addStretch(1);
    row->addWidget(print_);
    row->addWidget(close_);
    v->addLayout(row);
    connect(print_, &QPushButton::clicked, this, [this] {
        if (print) print(text());
    });
    connect(close_, &QPushButton::clicked, this, [this] { close(); });
    onHelpKey(*this, [&app] { app::showHelp(app, app::help::PrintPreview); });
    resize(760, 560);
}

void PrintPreview::showText(const QString& text) {
    QString shown = text;
    text_->setPlainText(shown.replace("\r\n", "\n"));
    show();
    raise();
    activateWindow();
}

QString PrintPreview::text() const { return text_->toPlainText(); }

} // namespace zul::ui
