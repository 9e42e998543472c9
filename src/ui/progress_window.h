#pragma once
// The progress window of the backup and restore loops, with a
// message, a file-name line, a bar and an OK button. It sits near the
// screen's lower right, above the other windows, and closes by itself.
#include <QDialog>
#include <string>

#include "macros/backup.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace zul::app {
class App;
}

namespace zul::ui {

class ProgressWindow : public QDialog {
public:
    static constexpr int EmptyCloseMs = 1500;
    static constexpr int DefaultCloseMs = 2000;

    explicit ProgressWindow(app::App& app, QWidget* parent = nullptr);

    // `iProgBar`: the bar's range and the message; opens the window. With
    // both numbers 0 the window closes by itself after 1.5 s.
    void iProgBar(int maximum, int minimum, const std::string& message);
    // `incProgBar`: the file name and the bar's value. At the maximum the
    // name is cleared, OK enabled when asked, and the window closes after
    // closeDelayMs (2 s when below 1).
    void incProgBar(int value, const std::string& fileName, bool showOk, int closeDelayMs);
    void setMessage(const std::string& message);
    // The backup logic's view of this window.
    macros::BackupProgress progress();

    QLabel* messageLabel() { return message_; }
    QLabel* fileLabel() { return file_; }
    QProgressBar* bar() { return bar_; }
    QPushButton* okButton() { return ok_; }

private:
    void closeAfter(int ms);
    void placeLowerRight();

    app::App& app_;
    QLabel *message_ = nullptr, *file_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* ok_ = nullptr;
    QTimer* closer_ = nullptr;
};

} // namespace zul::ui
