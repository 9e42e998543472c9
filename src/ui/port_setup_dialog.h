#pragma once
// "Port Setup": the five port choices and the simulator, the number
// box, the status line and OK / Cancel / Apply. It stays open without
// blocking, so the user can test the port from the main window.
#include <QDialog>
#include <array>
#include <filesystem>
#include <memory>
#include <vector>

#include "windows/port_setup_dialog.h"

class QButtonGroup;
class QLabel;
class QLineEdit;
class QVBoxLayout;
class QPushButton;
class QRadioButton;

namespace zul::app {
class App;
}

namespace zul::ui {

class PortSetupDialog : public QDialog {
public:
    explicit PortSetupDialog(app::App& app, QWidget* parent = nullptr);

    // Reads the stored port and shows the dialog.
    void open();
    void apply();
    void ok();

    QRadioButton* choiceButton(windows::PortSetupDialogForm::Choice c);
    // The ports found on the machine, in the order listed.
    const std::vector<QRadioButton*>& foundButtons() const { return found_; }
    QPushButton* lookAgainButton() { return lookAgain_; }
    // Where the ports are looked for ("/"; tests give a folder tree laid out the same way).
    std::filesystem::path devicesRoot = "/";
    QLineEdit* numberBox() { return number_; }
    QLabel* statusLabel() { return status_; }
    QPushButton* applyButton() { return apply_; }
    QPushButton* okButton() { return ok_; }

private:
    QWidget* buildFoundBox();
    void takeChoice();
    void showState();
    void showFound();
    void lookAgain();

    app::App& app_;
    windows::PortSetupDialogForm logic_;
    std::array<QRadioButton*, 6> choices_{};
    QButtonGroup* group_ = nullptr;
    QVBoxLayout* foundList_ = nullptr;
    QLabel* noneFound_ = nullptr;
    std::vector<QRadioButton*> found_;
    QPushButton* lookAgain_ = nullptr;
    QLineEdit* number_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton *ok_ = nullptr, *cancel_ = nullptr, *apply_ = nullptr;
};

} // namespace zul::ui
