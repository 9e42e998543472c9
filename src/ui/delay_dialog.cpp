#include "ui/delay_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>
#include <QVBoxLayout>

#include "app/app.h"
#include "windows/delay_dialog.h"
#include "ui/widgets.h"

namespace zul::ui {

namespace {
// Lets a box take only the texts the check allows.
class CheckValidator : public QValidator {
public:
    CheckValidator(QObject* parent, bool (*allowed)(const std::string&)) : QValidator(parent), allowed_(allowed) {}
    State validate(QString& input, int&) const override { return allowed_(input.toStdString()) ? Acceptable : Invalid; }

private:
    bool (*allowed_)(const std::string&);
};
} // namespace

using windows::DelayDialogForm;

DelayDialog::DelayDialog(app::App& app, QWidget* parent) : QDialog(parent), app_(app) {
    setWindowTitle(q(app.tr(windows::DelayDialogForm::Caption)));
    auto* v = new QVBoxLayout(this);
    auto* prompt = new QLabel(q(app.tr(windows::DelayDialogForm::Prompt)), this);
    prompt->setStyleSheet("font-weight:600;");
    v->addWidget(prompt);
    auto* grid = new QGridLayout;
    minutes_ = new QLineEdit("00", this);
    seconds_ = new QLineEdit("00", this);
    for (QLineEdit* box : {minutes_, seconds_}) {
        box->setMaxLength(static_cast<int>(windows::DelayDialogForm::MaxChars));
        box->setFixedWidth(56);
        box->setAlignment(Qt::AlignRight);
    }
    minutes_->setValidator(new CheckValidator(minutes_, &windows::DelayDialogForm::minutesAllowed));
    seconds_->setValidator(new CheckValidator(seconds_, &windows::DelayDialogForm::secondsAllowed));
    grid->addWidget(new QLabel(q(app.tr("Minutes")), this), 0, 0);
    grid->addWidget(minutes_, 0, 1);
    grid->addWidget(new QLabel(q(app.tr("Seconds")), this), 1, 0);
    grid->addWidget(seconds_, 1, 1);
    grid->setColumnStretch(2, 1);
    v->addLayout(grid);
    v->addWidget(new QLabel(q(app.tr(windows::DelayDialogForm::Hint)), this));
    auto* row = new QHBoxLayout;
    continue_ = new QPushButton(q(app.tr("Continue")), this);
    cancel_ = new QPushButton(q(app.tr("Cancel")), this);
    continue_->setToolTip(q(app.tip(windows::DelayDialogForm::ContinueTip)));
    cancel_->setToolTip(q(app.tip(windows::DelayDialogForm::CancelTip)));
    row->addStretch(1);
    row->addWidget(continue_);
    row->addWidget(cancel_);
    v->addLayout(row);
    connect(minutes_, &QLineEdit::returnPressed, this, [this] { seconds_->setFocus(); });
    connect(minutes_, &QLineEdit::editingFinished, this, [this] { leaveMinutes(); });
    connect(seconds_, &QLineEdit::returnPressed, this, [this] { finish(); });
    connect(continue_, &QPushButton::clicked, this, [this] { finish(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { reject(); });
    continue_->setAutoDefault(false);
    cancel_->setAutoDefault(false);
}

std::optional<int> DelayDialog::ask() {
    minutes_->setFocus();
    minutes_->selectAll();
    exec();
    return result_;
}

void DelayDialog::leaveMinutes() {
    if (windows::DelayDialogForm::minutesValid(minutes_->text().toStdString())) return;
    app_.dialogs.message(windows::DelayDialogForm::NotANumber);
    minutes_->clear();
    minutes_->setFocus();
}

void DelayDialog::finish() {
    result_ = windows::DelayDialogForm::result(minutes_->text().toStdString(), seconds_->text().toStdString());
    if (!result_) {
        app_.dialogs.message(windows::DelayDialogForm::NotANumber);
        return;
    }
    if (*result_ < 1) app_.sounds.play(SoundEvent::Click); // the caller will do nothing
    accept();
}

void DelayDialog::reject() {
    app_.sounds.play(SoundEvent::Click);
    result_.reset();
    QDialog::reject();
}

} // namespace zul::ui
