#include "ui/port_setup_dialog.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/app.h"
#include "app/help.h"
#include "ui/widgets.h"

namespace zul::ui {

using Choice = windows::PortSetupDialogForm::Choice;

namespace {
std::size_t slot(Choice c) { return static_cast<std::size_t>(c) - 1; }
} // namespace

PortSetupDialog::PortSetupDialog(app::App& app, QWidget* parent)
    : QDialog(parent), app_(app), logic_(app.port, app.portStore, app.dialogs) {
    setWindowTitle(q(app.tr(windows::PortSetupDialogForm::Caption)));
    auto* v = new QVBoxLayout(this);
    auto* heading = new QLabel(q(app.tr(windows::PortSetupDialogForm::Heading)), this);
    heading->setStyleSheet("font-weight:600; font-size:13px;");
    v->addWidget(heading);
    auto* box = new QGroupBox(this);
    auto* choices = new QVBoxLayout(box);
    group_ = new QButtonGroup(this);
    auto* group = group_;
    for (int n = 1; n <= 4; ++n)
        choices_[static_cast<std::size_t>(n - 1)] = new QRadioButton(q(app.tr(windows::PortSetupDialogForm::comLabel(n))), box);
    choices_[slot(Choice::Other)] = new QRadioButton(q(app.tr(windows::PortSetupDialogForm::OtherChoiceLabel)), box);
    choices_[slot(Choice::Simulator)] = new QRadioButton(q(app.tr(windows::PortSetupDialogForm::SimulatorChoiceLabel)), box);
    number_ = new QLineEdit(box);
    number_->setPlaceholderText(q(app.tr("for example 5 or /dev/ttyUSB0")));
    number_->setMaxLength(200);
    for (std::size_t i = 0; i < choices_.size(); ++i) {
        group->addButton(choices_[i]);
        if (i == slot(Choice::Other)) {
            auto* row = new QHBoxLayout;
            row->addWidget(choices_[i]);
            row->addWidget(number_, 1);
            choices->addLayout(row);
        } else {
            choices->addWidget(choices_[i]);
        }
    }
    connect(number_, &QLineEdit::textEdited, this, [this] { choices_[slot(Choice::Other)]->setChecked(true); });
    v->addWidget(box);
    v->addWidget(buildFoundBox());
    auto* current = new QGroupBox(q(app.tr(windows::PortSetupDialogForm::CurrentPortLabel)), this);
    auto* currentRow = new QVBoxLayout(current);
    status_ = new QLabel(current);
    status_->setWordWrap(true);
    status_->setToolTip(q(app.tip(windows::PortSetupDialogForm::StatusTip)));
    currentRow->addWidget(status_);
    v->addWidget(current);
    auto* buttons = new QDialogButtonBox(this);
    ok_ = buttons->addButton(q(app.tr(windows::PortSetupDialogForm::OkCaption)), QDialogButtonBox::AcceptRole);
    cancel_ = buttons->addButton(q(app.tr(windows::PortSetupDialogForm::CancelCaption)), QDialogButtonBox::RejectRole);
    apply_ = buttons->addButton(q(app.tr(windows::PortSetupDialogForm::ApplyCaption)), QDialogButtonBox::ApplyRole);
    ok_->setToolTip(q(app.tip(windows::PortSetupDialogForm::OkTip)));
    cancel_->setToolTip(q(app.tip(windows::PortSetupDialogForm::CancelTip)));
    apply_->setToolTip(q(app.tip(windows::PortSetupDialogForm::ApplyTip)));
    connect(ok_, &QPushButton::clicked, this, [this] { ok(); });
    connect(apply_, &QPushButton::clicked, this, [this] { apply(); });
    connect(cancel_, &QPushButton::clicked, this, [this] {
        logic_.cancel();
        hide();
    });
    v->addWidget(buttons);
    onHelpKey(*this, [&app] { app::showHelp(app, app::help::PortSetup); });
    setModal(false);
    setMinimumWidth(340);
}

QWidget* PortSetupDialog::buildFoundBox() {
    auto* box = new QGroupBox(q(app_.tr(windows::PortSetupDialogForm::FoundHeading)), this);
    foundList_ = new QVBoxLayout(box);
    noneFound_ = new QLabel(q(app_.tr(windows::PortSetupDialogForm::NoneFound)), box);
    noneFound_->setWordWrap(true);
    lookAgain_ = new QPushButton(q(app_.tr("&Look again")), box);
    lookAgain_->setToolTip(q(app_.tip("Look for serial ports again (after plugging in an adapter)")));
    connect(lookAgain_, &QPushButton::clicked, this, [this] { lookAgain(); });
    foundList_->addWidget(noneFound_);
    foundList_->addWidget(lookAgain_, 0, Qt::AlignLeft);
    return box;
}

QRadioButton* PortSetupDialog::choiceButton(Choice c) { return c == Choice::None ? nullptr : choices_[slot(c)]; }

void PortSetupDialog::open() {
    logic_.show(listSerialPorts(devicesRoot));
    showFound();
    showState();
    show();
    raise();
    activateWindow();
}

void PortSetupDialog::showFound() {
    for (QRadioButton* b : found_) delete b;
    found_.clear();
    const auto& ports = logic_.found();
    for (std::size_t i = 0; i < ports.size(); ++i) {
        const SerialPortEntry& port = ports[i];
        if (port.comNumber > 0) { // Com 1 to Com 4 stand for it
            choices_[static_cast<std::size_t>(port.comNumber - 1)]->setToolTip(q(serialPortCaption(port)));
            continue;
        }
        auto* b = new QRadioButton(q(serialPortCaption(port)), noneFound_->parentWidget());
        b->setToolTip(q(port.path));
        b->setProperty("foundIndex", static_cast<int>(i));
        group_->addButton(b);
        foundList_->insertWidget(static_cast<int>(found_.size()), b);
        found_.push_back(b);
    }
    noneFound_->setVisible(found_.empty());
}

void PortSetupDialog::lookAgain() {
    takeChoice();
    logic_.setFound(listSerialPorts(devicesRoot));
    showFound();
    showState();
}

void PortSetupDialog::takeChoice() {
    logic_.choose(Choice::None);
    for (std::size_t i = 0; i < choices_.size(); ++i)
        if (choices_[i]->isChecked()) logic_.choose(static_cast<Choice>(i + 1));
    for (QRadioButton* b : found_)
        if (b->isChecked()) logic_.chooseFound(b->property("foundIndex").toInt());
    logic_.setOtherText(number_->text().toStdString());
}

void PortSetupDialog::showState() {
    if (logic_.choice() == Choice::Found) {
        for (QRadioButton* b : found_)
            if (b->property("foundIndex").toInt() == logic_.foundIndex()) b->setChecked(true);
    } else if (logic_.choice() != Choice::None) {
        choices_[slot(logic_.choice())]->setChecked(true);
    }
    number_->setText(q(logic_.otherText()));
    status_->setText(q(app_.tr(logic_.status())));
}

void PortSetupDialog::apply() {
    takeChoice();
    logic_.apply();
    status_->setText(q(app_.tr(logic_.status())));
}

void PortSetupDialog::ok() {
    takeChoice();
    if (logic_.ok()) hide();
    status_->setText(q(app_.tr(logic_.status())));
}

} // namespace zul::ui
