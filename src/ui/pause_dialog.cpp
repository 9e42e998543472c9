#include "ui/pause_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/app.h"
#include "windows/pause_dialog.h"
#include "ui/text_rule.h"
#include "ui/widgets.h"

namespace zul::ui {

using windows::PauseDialogForm;

PauseDialog::PauseDialog(app::App& app, windows::PauseDialogForm& calculator, QWidget* parent)
    : QDialog(parent), app_(app), calc_(calculator) {
    setWindowTitle(q(app.tr(windows::PauseDialogForm::Caption)));
    auto* v = new QVBoxLayout(this);
    auto* prompt = new QLabel(q(app.tr(windows::PauseDialogForm::Prompt)), this);
    prompt->setStyleSheet("font-weight:600; font-size:13px;");
    v->addWidget(prompt);
    auto* grid = new QGridLayout;
    minutes_ = new QLineEdit(this);
    seconds_ = new QLineEdit(this);
    total_ = new QLineEdit(this);
    total_->setReadOnly(true);
    total_->setFocusPolicy(Qt::NoFocus);
    for (QLineEdit* box : {minutes_, seconds_, total_}) {
        box->setFixedWidth(64);
        box->setAlignment(Qt::AlignRight);
    }
    minutes_->setValidator(new TextRule(minutes_, &windows::PauseDialogForm::acceptMinutes));
    seconds_->setValidator(new TextRule(seconds_, &windows::PauseDialogForm::acceptSeconds));
    const char* captions[] = {"&Minutes", "&Seconds", "Total seconds"};
    QLineEdit* boxes[] = {minutes_, seconds_, total_};
    for (int row = 0; row < 3; ++row) {
        auto* label = new QLabel(q(app.tr(captions[row])), this);
        label->setBuddy(boxes[row]);
        grid->addWidget(label, row, 0);
        grid->addWidget(boxes[row], row, 1);
    }
    grid->setColumnStretch(2, 1);
    v->addLayout(grid);
    auto* limit = new QLabel(q(app.tr(windows::PauseDialogForm::Maximum)), this);
    limit->setStyleSheet("color:#555;");
    v->addWidget(limit);
    same_ = new QCheckBox(q(app.tr(windows::PauseDialogForm::SameOption)), this);
    v->addWidget(same_);
    auto* row = new QHBoxLayout;
    continue_ = new QPushButton(q(app.tr("Continue")), this);
    cancel_ = new QPushButton(q(app.tr("Cancel")), this);
    continue_->setToolTip(q(app.tip(windows::PauseDialogForm::ContinueTip)));
    cancel_->setToolTip(q(app.tip(windows::PauseDialogForm::CancelTip)));
    continue_->setAutoDefault(false);
    cancel_->setAutoDefault(false);
    row->addStretch(1);
    row->addWidget(continue_);
    row->addWidget(cancel_);
    v->addLayout(row);
    for (QLineEdit* box : {minutes_, seconds_}) {
        connect(box, &QLineEdit::textEdited, this, [this] {
            calc_.minutes = minutes_->text().toStdString();
            calc_.seconds = seconds_->text().toStdString();
            total_->setText(q(calc_.totalText()));
        });
    }
    connect(minutes_, &QLineEdit::returnPressed, this, [this] { seconds_->setFocus(); });
    connect(minutes_, &QLineEdit::editingFinished, this, [this] { leave(true); });
    connect(seconds_, &QLineEdit::editingFinished, this, [this] { leave(false); });
    connect(seconds_, &QLineEdit::returnPressed, this, [this] { finish(); });
    connect(continue_, &QPushButton::clicked, this, [this] { finish(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { reject(); });
    setMinimumWidth(360);
}

std::optional<std::string> PauseDialog::ask() {
    minutes_->setText(q(calc_.minutes));
    seconds_->setText(q(calc_.seconds));
    total_->setText(q(calc_.totalText()));
    same_->setChecked(calc_.samePause);
    minutes_->setFocus();
    minutes_->selectAll();
    exec();
    return calc_.result();
}

void PauseDialog::leave(bool minutes) {
    calc_.minutes = minutes_->text().toStdString();
    calc_.seconds = seconds_->text().toStdString();
    if (minutes) calc_.leaveMinutes();
    else calc_.leaveSeconds();
    minutes_->setText(q(calc_.minutes));
    seconds_->setText(q(calc_.seconds));
    total_->setText(q(calc_.totalText()));
}

void PauseDialog::finish() {
    leave(true);
    leave(false);
    calc_.samePause = same_->isChecked();
    if (!calc_.finish()) {
        app_.dialogs.message(windows::PauseDialogForm::TooShort);
        total_->setText(q(calc_.totalText()));
        seconds_->setFocus();
        return;
    }
    accept();
}

void PauseDialog::reject() {
    calc_.cancel();
    QDialog::reject();
}

} // namespace zul::ui
