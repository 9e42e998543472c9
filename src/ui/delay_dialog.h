#pragma once
// "Delay Time": minutes and seconds for a group's auto-off.
#include <QDialog>
#include <optional>

class QLineEdit;
class QPushButton;

namespace zul::app {
class App;
}

namespace zul::ui {

class DelayDialog : public QDialog {
public:
    explicit DelayDialog(app::App& app, QWidget* parent = nullptr);

    // Shows the dialog and waits: whole seconds, or nothing when cancelled.
    std::optional<int> ask();

    QLineEdit* minutesBox() { return minutes_; }
    QLineEdit* secondsBox() { return seconds_; }
    QPushButton* continueButton() { return continue_; }
    // The result of the last use.
    std::optional<int> result() const { return result_; }
    // Cancel and Esc.
    void reject() override;

private:
    void leaveMinutes();
    void finish();

    app::App& app_;
    QLineEdit *minutes_ = nullptr, *seconds_ = nullptr;
    QPushButton *continue_ = nullptr, *cancel_ = nullptr;
    std::optional<int> result_;
};

} // namespace zul::ui
