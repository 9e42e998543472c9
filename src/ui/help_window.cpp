#include "ui/help_window.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "app/app.h"
#include "ui/widgets.h"

namespace zul::ui {

HelpWindow::HelpWindow(app::App& app, QWidget* parent) : QDialog(parent) {
    setWindowTitle(q(app.tr("Zulmarin Help")));
    setModal(false);
    browser_ = new QTextBrowser(this);
    browser_->setOpenExternalLinks(true);
    browser_->setOpenLinks(true);
    back_ = new QPushButton(q(app.tr("&Back")), this);
    forward_ = new QPushButton(q(app.tr("&Forward")), this);
    contents_ = new QPushButton(q(app.tr("C&ontents")), this);
    close_ = new QPushButton(q(app.tr("&Close")), this);
    connect(back_, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward_, &QPushButton::clicked, browser_, &QTextBrowser::forward);
    connect(contents_, &QPushButton::clicked, browser_, &QTextBrowser::home);
    connect(close_, &QPushButton::clicked, this, &QDialog::close);
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QPushButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QPushButton::setEnabled);
    back_->setEnabled(false);
    forward_->setEnabled(false);
    auto* bar = new QHBoxLayout;
    for (QPushButton* b : {back_, forward_, contents_}) bar->addWidget(b);
    bar->addStretch(1);
    bar->addWidget(close_);
    auto* v = new QVBoxLayout(this);
    v->addLayout(bar);
    v->addWidget(browser_, 1);
    resize(780, 580);
}

void HelpWindow::showPage(const std::filesystem::path& page, const std::string& anchor) {
    QUrl url = QUrl::fromLocalFile(q(page.string()));
    if (!anchor.empty()) url.setFragment(q(anchor));
    browser_->setSource(url);
    show();
    raise();
    activateWindow();
}

} // namespace zul::ui
