#pragma once
// The about window (version, licence, where the settings and the data live)
// and the uninstaller window (what goes and what stays, then "Uninstall").
#include <QDialog>

class QFormLayout;
class QLabel;
class QPushButton;

namespace zul::app {
class App;
}

namespace zul::ui {

class AboutWindow : public QDialog {
public:
    explicit AboutWindow(app::App& app, QWidget* parent = nullptr);
    // Shows the window with the facts as they are now.
    void open();

private:
    app::App& app_;
    QLabel* icon_ = nullptr;
    QFormLayout* facts_ = nullptr;
};

class UninstallWindow : public QDialog {
public:
    explicit UninstallWindow(app::App& app, QWidget* parent = nullptr);
    QPushButton* uninstallButton() { return uninstall_; }

private:
    QPushButton* uninstall_ = nullptr;
};

} // namespace zul::ui
