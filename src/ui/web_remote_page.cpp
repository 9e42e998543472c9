#include "ui/web_remote_page.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/app.h"
#include "ui/widgets.h"

namespace zul::ui {

namespace {
QLineEdit* secretBox(QWidget* parent, const QString& tip) {
    auto* box = new QLineEdit(parent);
    box->setEchoMode(QLineEdit::Password);
    box->setMaxLength(static_cast<int>(web::MaxPasswordLength));
    box->setToolTip(tip);
    return box;
}
} // namespace

WebRemotePage::WebRemotePage(app::App& app, web::WebRemotePageForm& form, QWidget* parent)
    : QWidget(parent), app_(app), form_(form) {
    auto* v = new QVBoxLayout(this);
    enabled_ = new QCheckBox(q(app.tr("Serve the web remo&te")), this);
    enabled_->setToolTip(q(app.tip("A page for a phone or another computer's browser: units, groups, the panic "
                                   "button, macros and the timers")));
    v->addWidget(enabled_);
    auto* fields = new QFormLayout;
    address_ = new QLineEdit(this);
    address_->setMaxLength(100);
    address_->setPlaceholderText("127.0.0.1:8080");
    address_->setToolTip(q(app.tip("[ADDRESS:]PORT; 127.0.0.1 reaches this computer only, 0.0.0.0 every network")));
    fields->addRow(q(app.tr("A&ddress:")), address_);
    password_ = secretBox(this, q(app.tip("At least 8 characters; only a salted hash of it is stored")));
    fields->addRow(q(app.tr("New pass&word:")), password_);
    repeat_ = secretBox(this, q(app.tip("The same password again")));
    fields->addRow(q(app.tr("&Repeat it:")), repeat_);
    passwordState_ = new QLabel(this);
    fields->addRow(QString(), passwordState_);
    link_ = new QLabel(this);
    link_->setOpenExternalLinks(true);
    link_->setTextInteractionFlags(Qt::TextBrowserInteraction);
    link_->setToolTip(q(app.tip("Open this address in a browser once the remote runs")));
    fields->addRow(q(app.tr("Open:")), link_);
    v->addLayout(fields);
    auto* note = new QLabel(q(app.tr("The remote speaks plain HTTP: to reach it from other networks, put it behind "
                                     "a TLS reverse proxy (Help says more).")),
                            this);
    note->setWordWrap(true);
    v->addWidget(note);
    const SettingsFoot foot = addSettingsFoot(v, this);
    problems_ = foot.problems;
    status_ = foot.status;
    auto changedNow = [this] {
        showLink();
        if (edited) edited();
    };
    connect(enabled_, &QCheckBox::toggled, this, changedNow);
    for (QLineEdit* box : {address_, password_, repeat_}) connect(box, &QLineEdit::textChanged, this, changedNow);
    load();
}

void WebRemotePage::load() {
    form_.load();
    const bool enabled = form_.enabled;
    const std::string address = form_.address;
    enabled_->setChecked(enabled);
    address_->setText(q(address));
    password_->clear();
    repeat_->clear();
    passwordState_->setText(q(app_.tr(form_.passwordState())));
    problems_->hide();
    showLink();
    showStatus();
}

void WebRemotePage::takeFields() {
    form_.enabled = enabled_->isChecked();
    form_.address = address_->text().trimmed().toStdString();
    form_.newPassword = password_->text().toStdString();
    form_.repeatedPassword = repeat_->text().toStdString();
}

bool WebRemotePage::changed() {
    takeFields();
    return form_.changed();
}

bool WebRemotePage::apply() {
    takeFields();
    const auto problems = form_.apply();
    QStringList lines;
    for (const auto& p : problems) lines << q(app_.tr(p));
    showProblems(problems_, lines);
    if (problems.empty()) load();
    showStatus();
    return problems.empty();
}

void WebRemotePage::showLink() {
    takeFields();
    const QString link = q(form_.link()).toHtmlEscaped();
    link_->setText(link.isEmpty() ? QString() : "<a href=\"" + link + "\">" + link + "</a>");
}

void WebRemotePage::showStatus() { status_->setText(remoteStatus ? q(remoteStatus()) : QString()); }

} // namespace zul::ui
