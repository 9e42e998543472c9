#include "ui/macro_manager_tab.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/app.h"
#include "windows/macro_setup_window.h"
#include "ui/progress_window.h"
#include "ui/widgets.h"

namespace zul::ui {

MacroManagerTab::MacroManagerTab(app::App& app, windows::MacroSetupWindowForm& setup, ProgressWindow& progress, QWidget* parent)
    : QWidget(parent), app_(app), setup_(setup) {
    auto* h = new QHBoxLayout(this);
    auto* buttons = new QGroupBox(q(app.tr("Backups")), this);
    auto* column = new QVBoxLayout(buttons);
    struct BackupButton {
        QPushButton** button;
        const char* caption;
        const char* tip;
    };
    const BackupButton backupButtons[] = {
        {&backupAll_, "Backup &All Macros", " Copy macros from program folder to backup folder "},
        {&backupOne_, "&Backup a Macro", "Copy the macro selected in the list to the backup folder"},
        {&restore_, "", ""},
        {&restoreAll_, "Restore All &Macros",
         " Restores ALL backed up macros to active program folder. (overwrites ALL existing macros!)  "},
        {&deleteAll_, "&Delete Full Backup", " Delete the backup folder and all it's contents. "},
    };
    for (const auto& s : backupButtons) {
        *s.button = new QPushButton(q(app.tr(s.caption)), buttons);
        (*s.button)->setAutoDefault(false);
        (*s.button)->setToolTip(q(app.tip(s.tip)));
        column->addWidget(*s.button);
    }
    column->addStretch(1);
    h->addWidget(buttons);
    auto* right = new QVBoxLayout;
    status_ = new QLabel(this);
    status_->setStyleSheet("font-weight:600; color:#1565c0;");
    status_->setTextFormat(Qt::PlainText);
    hint_ = new QLabel(this);
    hint_->setWordWrap(true);
    backups_ = new QListWidget(this);
    backups_->setToolTip(q(app.tip("Double click a macro below to restore it to the active application folder.")));
    right->addWidget(status_);
    right->addWidget(hint_);
    right->addWidget(backups_, 1);
    right->addStretch(); // without the list, the status stays at the top
    h->addLayout(right, 1);

    auto& backup = setup_.backup;
    backup.progress = progress.progress();
    connect(backupAll_, &QPushButton::clicked, this,
            [this, &backup] { act([this, &backup] { backup.backupAll(setup_.editor.macroNames()); }); });
    connect(backupOne_, &QPushButton::clicked, this,
            [this, &backup] { act([this, &backup] { backup.backupOne(setup_.editor.selectedMacro); }); });
    connect(restore_, &QPushButton::clicked, this, [this, &backup] { act([&backup] { backup.toggleRestore(); }); });
    connect(restoreAll_, &QPushButton::clicked, this, [this, &backup] { act([&backup] { backup.restoreAll(); }); });
    connect(deleteAll_, &QPushButton::clicked, this,
            [this, &backup] { act([this, &backup] { backup.deleteFullBackup(setup_.editor.activeFolder()); }); });
    connect(backups_, &QListWidget::currentTextChanged, this, [this, &backup](const QString& name) {
        if (refreshing_) return;
        setup_.editor.selectedBackup = name.isEmpty() ? std::nullopt : std::optional<std::string>(name.toStdString());
        if (!name.isEmpty()) backup.selectBackup(name.toStdString());
        status_->setText(q(backup.status()));
    });
    connect(backups_, &QListWidget::itemActivated, this, [this, &backup](QListWidgetItem* item) {
        const std::string name = item->text().toStdString();
        act([this, &backup, name] {
            if (backup.restoreOne(name)) setup_.editor.selectedBackup.reset();
        });
    });
    refresh();
}

void MacroManagerTab::act(const std::function<void()>& action) {
    action();
    refresh();
    if (changed) changed();
}

void MacroManagerTab::refresh() {
    refreshing_ = true;
    const auto& backup = setup_.backup;
    restore_->setText(q(backup.restoreCaption()));
    restore_->setToolTip(
        q(app_.tip(backup.restoreMode() ? "Hide the backup list" : "Show the backup list to restore a macro")));
    for (QPushButton* b : {restore_, restoreAll_, deleteAll_}) b->setEnabled(backup.restoreButtonsEnabled());
    hint_->setText(q(backup.restoreHint()));
    hint_->setVisible(backup.restoreMode());
    backups_->setVisible(backup.restoreMode());
    if (!backup.restoreMode()) setup_.editor.selectedBackup.reset();
    backups_->clear();
    for (const auto& name : backup.backupList()) backups_->addItem(q(name));
    if (const auto& selected = setup_.editor.selectedBackup) {
        const auto found = backups_->findItems(q(*selected), Qt::MatchExactly);
        if (!found.isEmpty()) backups_->setCurrentItem(found.front());
    }
    status_->setText(q(backup.status()));
    refreshing_ = false;
}

} // namespace zul::ui
