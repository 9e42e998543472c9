#pragma once
// The "Setup Groups" tab: the eight groups with their labels, and recording,
// saving, relabelling and deleting one, bound to the group recorder.
#include <QWidget>
#include <functional>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSlider;

namespace zul::windows {
class MacroSetupWindowForm;
} // namespace zul::windows

namespace zul::app {
class App;
} // namespace zul::app

namespace zul::ui {

class GroupSetupTab : public QWidget {
public:
    GroupSetupTab(app::App& app, windows::MacroSetupWindowForm& setup, QWidget* parent = nullptr);

    void refresh();
    // Makes group index (0 to 7) current.
    void selectGroup(int index);
    std::function<void()> changed;

    QListWidget* groupList() { return groups_; }
    QLineEdit* labelBox() { return label_; }
    QLabel* contentsBox() { return contents_; }
    QPushButton* recordButton() { return record_; }
    QPushButton* saveButton() { return save_; }
    QPushButton* updateLabelButton() { return updateLabel_; }
    QPushButton* deleteButton() { return delete_; }
    QPushButton* startOverButton() { return startOver_; }
    QPushButton* removeButton() { return remove_; }
    QListWidget* recordedList() { return recorded_; }
    QSlider* delaySlider() { return delay_; }

private:
    QWidget* buildRecorder();
    void act(const std::function<void()>& action);

    app::App& app_;
    windows::MacroSetupWindowForm& setup_;
    QListWidget *groups_ = nullptr, *recorded_ = nullptr;
    QLineEdit* label_ = nullptr;
    QLabel *contentsCaption_ = nullptr, *contents_ = nullptr, *counter_ = nullptr, *delayText_ = nullptr;
    QPushButton *record_ = nullptr, *save_ = nullptr, *updateLabel_ = nullptr, *delete_ = nullptr;
    QPushButton *startOver_ = nullptr, *remove_ = nullptr;
    QSlider* delay_ = nullptr;
    bool refreshing_ = false;
};

} // namespace zul::ui
