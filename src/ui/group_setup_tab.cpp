#include "ui/group_setup_tab.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "app/app.h"
#include "windows/macro_setup_window.h"
#include "ui/widgets.h"

namespace zul::ui {

namespace {
QPushButton* pushButton(const QString& text, const QString& tip, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setAutoDefault(false);
    b->setToolTip(tip);
    return b;
}
} // namespace

GroupSetupTab::GroupSetupTab(app::App& app, windows::MacroSetupWindowForm& setup, QWidget* parent)
    : QWidget(parent), app_(app), setup_(setup) {
    auto* h = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    auto* listCaption = new QLabel(q(app.tr("&Groups")), this);
    groups_ = new QListWidget(this);
    groups_->setFixedWidth(220);
    listCaption->setBuddy(groups_);
    left->addWidget(listCaption);
    left->addWidget(groups_, 1);
    auto* delayBox = new QGroupBox(q(app.tr("Group delay")), this);
    auto* delayRow = new QHBoxLayout(delayBox);
    delay_ = new QSlider(Qt::Horizontal, delayBox);
    delay_->setRange(0, windows::MacroSetupWindowForm::MaxGroupDelayTenths);
    delay_->setPageStep(5);
    delay_->setToolTip(q(app.tip("Time between the commands of a group")));
    delayText_ = new QLabel(delayBox);
    delayText_->setMinimumWidth(60);
    delayRow->addWidget(delay_, 1);
    delayRow->addWidget(delayText_);
    left->addWidget(delayBox);
    h->addLayout(left);
    h->addWidget(buildRecorder(), 1);
    connect(groups_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!refreshing_ && row >= 0) selectGroup(row);
    });
    connect(delay_, &QSlider::valueChanged, this, [this](int tenths) {
        setup_.groupDelayTenths = tenths;
        delayText_->setText(q(setup_.groupDelayText()));
    });
    refresh();
}

QWidget* GroupSetupTab::buildRecorder() {
    auto* box = new QGroupBox(this);
    auto* grid = new QGridLayout(box);
    auto* labelCaption = new QLabel(q(app_.tr("&Label")), box);
    label_ = new QLineEdit(box);
    label_->setMaxLength(static_cast<int>(macros::kGroupLabelMax));
    label_->setToolTip(q(app_.tip("Enter group description here (30 characters max).")));
    labelCaption->setBuddy(label_);
    updateLabel_ =
        pushButton(q(app_.tr("&Update Label")), q(app_.tip("Update group label without changing commands")), box);
    contentsCaption_ = new QLabel(box);
    contents_ = new QLabel(box);
    contents_->setWordWrap(true);
    contents_->setMinimumHeight(40);
    contents_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    contents_->setStyleSheet(
        "QLabel { background:#ffffff; border:1px solid #b9bec6; border-radius:3px; padding:4px; }");
    record_ = pushButton("", "", box);
    record_->setCheckable(true);
    counter_ = new QLabel(box);
    counter_->setMinimumWidth(30);
    recorded_ = new QListWidget(box);
    remove_ = pushButton(q(app_.tr("Re&move")), q(app_.tip("Remove the selected item")), box);
    save_ = pushButton(q(app_.tr("&Save Group")),
                       q(app_.tip("Save recorded commands and label to selected group number")), box);
    startOver_ = pushButton(q(app_.tr("Start O&ver")), q(app_.tip("Clear recorded commands")), box);
    delete_ = pushButton(q(app_.tr("&Delete Group")), q(app_.tip("Delete the selected Group")), box);
    auto* hint = new QLabel(q(app_.tr("Press Rec, then click the ON buttons of the main window.")), box);
    hint->setStyleSheet("color:#555;");
    grid->addWidget(labelCaption, 0, 0);
    grid->addWidget(label_, 0, 1, 1, 2);
    grid->addWidget(updateLabel_, 0, 3);
    grid->addWidget(contentsCaption_, 1, 0, 1, 4);
    grid->addWidget(contents_, 2, 0, 1, 4);
    grid->addWidget(hint, 3, 0, 1, 4);
    grid->addWidget(record_, 4, 0);
    grid->addWidget(counter_, 5, 0, Qt::AlignCenter | Qt::AlignTop);
    grid->addWidget(recorded_, 4, 1, 3, 2);
    grid->addWidget(remove_, 4, 3);
    grid->addWidget(save_, 7, 1);
    grid->addWidget(startOver_, 7, 2);
    grid->addWidget(delete_, 7, 3);
    grid->setRowStretch(6, 1);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
    auto& rec = setup_.groups;
    connect(label_, &QLineEdit::textEdited, this, [&rec](const QString& t) { rec.setLabelBox(t.toStdString()); });
    connect(record_, &QPushButton::toggled, this, [this, &rec](bool on) {
        if (!refreshing_) act([&rec, on] { on ? rec.startRecording() : rec.stopRecording(); });
    });
    connect(updateLabel_, &QPushButton::clicked, this, [this, &rec] { act([&rec] { rec.updateLabel(); }); });
    connect(save_, &QPushButton::clicked, this, [this, &rec] { act([&rec] { rec.saveGroup(); }); });
    connect(startOver_, &QPushButton::clicked, this, [this, &rec] { act([&rec] { rec.startOver(); }); });
    connect(delete_, &QPushButton::clicked, this, [this, &rec] { act([&rec] { rec.deleteGroup(); }); });
    connect(remove_, &QPushButton::clicked, this,
            [this, &rec] { act([this, &rec] { rec.remove(recorded_->currentRow()); }); });
    return box;
}

void GroupSetupTab::act(const std::function<void()>& action) {
    action();
    refresh();
    if (changed) changed();
}

void GroupSetupTab::selectGroup(int index) {
    setup_.groups.selectGroup(index);
    refresh();
}

void GroupSetupTab::refresh() {
    refreshing_ = true;
    const auto& rec = setup_.groups;
    const auto entries = rec.listEntries();
    groups_->clear();
    for (const auto& e : entries) groups_->addItem(q(e));
    groups_->setCurrentRow(rec.currentGroup());
    if (label_->text() != q(rec.labelBox())) label_->setText(q(rec.labelBox()));
    contentsCaption_->setText(q(rec.contentsCaption()));
    contents_->setText(q(rec.contentsBox()));
    const bool recording = rec.state() == macros::RecorderState::Recording;
    record_->setChecked(recording);
    record_->setText(q(rec.recordCaption()));
    record_->setToolTip(q(app_.tip(recording ? "Cancel Recording" : "Start Recording ( ON commands ONLY )")));
    record_->setEnabled(setup_.groupRecordEnabled());
    counter_->setText(q(rec.counterText()));
    counter_->setStyleSheet(rec.counterRed() ? "color:#c62828; font-weight:700;" : "color:black;");
    recorded_->clear();
    for (const auto& t : rec.recordedTexts()) recorded_->addItem(q(t));
    remove_->setEnabled(rec.removeEnabled());
    save_->setEnabled(rec.saveEnabled());
    startOver_->setEnabled(rec.startOverEnabled());
    delete_->setEnabled(rec.deleteEnabled());
    delay_->setValue(setup_.groupDelayTenths);
    delayText_->setText(q(setup_.groupDelayText()));
    refreshing_ = false;
}

} // namespace zul::ui
