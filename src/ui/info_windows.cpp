#include "ui/info_windows.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/app.h"
#include "app/help.h"
#include "app/uninstaller.h"
#include "ui/widgets.h"

namespace zul::ui {

namespace {

QLabel* heading(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setStyleSheet("font-size:20px; font-weight:700;");
    return label;
}

// A heading line and the items as a bulleted list, each path on a line of its own.
QLabel* itemList(const QString& title, const std::vector<app::Uninstaller::Item>& items, QWidget* parent) {
    QString html = "<b>" + title.toHtmlEscaped() + "</b><ul style=\"margin-left:-20px\">";
    for (const auto& item : items) {
        html += "<li>" + q(item.text).toHtmlEscaped();
        if (!item.path.empty()) html += "<br><code>" + q(item.path).toHtmlEscaped() + "</code>";
        html += "</li>";
    }
    return new QLabel(html + "</ul>", parent);
}

} // namespace

AboutWindow::AboutWindow(app::App& app, QWidget* parent) : QDialog(parent), app_(app) {
    setWindowTitle(q(app.tr("About Zulmarin")));
    auto* top = new QHBoxLayout;
    icon_ = new QLabel(this);
    icon_->setAlignment(Qt::AlignTop);
    auto* title = new QVBoxLayout;
    title->addWidget(heading("Zulmarin", this));
    title->addWidget(new QLabel(q(app.tr("Home automation with the CM17A transmitter.")), this));
    top->addWidget(icon_);
    top->addSpacing(12);
    top->addLayout(title, 1);
    facts_ = new QFormLayout;
    facts_->setLabelAlignment(Qt::AlignLeft);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    onHelpKey(*this, [&app] { app::showHelp(app, app::help::About); });
    auto* v = new QVBoxLayout(this);
    v->addLayout(top);
    v->addSpacing(8);
    v->addLayout(facts_);
    v->addStretch(1);
    v->addWidget(buttons);
    setMinimumWidth(460);
}

void AboutWindow::open() {
    icon_->setPixmap(programIcon().pixmap(64, 64));
    while (facts_->rowCount() > 0) facts_->removeRow(0);
    for (const auto& [caption, value] : app::aboutFacts(app_)) {
        auto* label = new QLabel(q(value), this);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        facts_->addRow(q(caption + ":"), label);
    }
    adjustSize();
    show();
    raise();
    activateWindow();
}

UninstallWindow::UninstallWindow(app::App& app, QWidget* parent) : QDialog(parent) {
    setWindowTitle(q(app.tr("Uninstall Zulmarin")));
    const app::Uninstaller uninstaller(app);
    auto* v = new QVBoxLayout(this);
    v->addWidget(heading(q(app.tr("Uninstall Zulmarin")), this));
    v->addWidget(itemList(q(app.tr("This takes away:")), uninstaller.whatGoes(), this));
    v->addWidget(itemList(q(app.tr("This stays:")), uninstaller.whatStays(), this));
    v->addStretch(1);
    auto* buttons = new QDialogButtonBox(this);
    uninstall_ = buttons->addButton(q(app.tr("&Uninstall")), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton(q(app.tr("&Cancel")), QDialogButtonBox::RejectRole);
    cancel->setDefault(true);
    QPushButton* help = buttons->addButton(q(app.tr("&Help")), QDialogButtonBox::HelpRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(uninstall_, &QPushButton::clicked, this, [this, &app] {
        hide();
        app::Uninstaller(app).run();
    });
    connect(help, &QPushButton::clicked, this, [&app] { app::showHelp(app, app::help::Uninstall); });
    onHelpKey(*this, [&app] { app::showHelp(app, app::help::Uninstall); });
    v->addWidget(buttons);
    setMinimumWidth(460);
}

} // namespace zul::ui
