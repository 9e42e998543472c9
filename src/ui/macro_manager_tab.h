#pragma once
// The "Manage Macros" tab: backing the macros up into the hidden backup
// folder and restoring them, with the progress window, bound to the backup logic.
#include <QWidget>
#include <functional>

class QLabel;
class QListWidget;
class QPushButton;

namespace zul::windows {
class MacroSetupWindowForm;
} // namespace zul::windows

namespace zul::app {
class App;
} // namespace zul::app

namespace zul::ui {

class ProgressWindow;

class MacroManagerTab : public QWidget {
public:
    MacroManagerTab(app::App& app, windows::MacroSetupWindowForm& setup, ProgressWindow& progress, QWidget* parent = nullptr);

    void refresh();
    std::function<void()> changed;

    QPushButton* backupAllButton() { return backupAll_; }
    QPushButton* backupOneButton() { return backupOne_; }
    QPushButton* restoreButton() { return restore_; }
    QPushButton* restoreAllButton() { return restoreAll_; }
    QPushButton* deleteBackupButton() { return deleteAll_; }
    QListWidget* backupList() { return backups_; }
    QLabel* statusLabel() { return status_; }

private:
    void act(const std::function<void()>& action);

    app::App& app_;
    windows::MacroSetupWindowForm& setup_;
    QPushButton *backupAll_ = nullptr, *backupOne_ = nullptr, *restore_ = nullptr, *restoreAll_ = nullptr,
                *deleteAll_ = nullptr;
    QLabel *hint_ = nullptr, *status_ = nullptr;
    QListWidget* backups_ = nullptr;
    bool refreshing_ = false;
};

} // namespace zul::ui
