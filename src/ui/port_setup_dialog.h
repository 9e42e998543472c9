#pragma once
// frmSetup, "Port Setup": the five port choices and the simulator, the number
// box, the status line and OK / Cancel / Apply. It stays open without
// blocking, so the user can test the port from the main window.
#include <QDialog>
#include <array>
#include <memory>

#include "x10/port_setup.h"

class QLabel;
class QLineEdit;
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

    QRadioButton* choiceButton(x10::PortSetup::Choice c);
    QLineEdit* numberBox() { return number_; }
    QLabel* statusLabel() { return status_; }
    QPushButton* applyButton() { return apply_; }
    QPushButton* okButton() { return ok_; }

private:
    void takeChoice();
    void showState();

    app::App& app_;
    x10::PortSetup logic_;
    std::array<QRadioButton*, 6> choices_{};
    QLineEdit* number_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton *ok_ = nullptr, *cancel_ = nullptr, *apply_ = nullptr;
};

} // namespace zul::ui
