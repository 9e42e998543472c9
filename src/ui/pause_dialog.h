#pragma once
// " Pause Time": the seconds calculator that makes a macro pause
// from minutes and seconds.
#include <QDialog>
#include <optional>
#include <string>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace zul::windows {
class PauseDialogForm;
} // namespace zul::windows

namespace zul::app {
class App;
}
namespace zul::ui {

class PauseDialog : public QDialog {
public:
    PauseDialog(app::App& app, windows::PauseDialogForm& calculator, QWidget* parent = nullptr);

    // Shows the calculator and waits: the pause, or nothing when cancelled.
    std::optional<std::string> ask();

    QLineEdit* minutesBox() { return minutes_; }
    QLineEdit* secondsBox() { return seconds_; }
    QLineEdit* totalBox() { return total_; }
    QCheckBox* sameBox() { return same_; }
    QPushButton* continueButton() { return continue_; }
    // Cancel and Esc.
    void reject() override;

private:
    void leave(bool minutes);
    void finish();

    app::App& app_;
    windows::PauseDialogForm& calc_;
    QLineEdit *minutes_ = nullptr, *seconds_ = nullptr, *total_ = nullptr;
    QCheckBox* same_ = nullptr;
    QPushButton *continue_ = nullptr, *cancel_ = nullptr;
};

} // namespace zul::ui
