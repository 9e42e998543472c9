#pragma once
// The program's icon in the notification area ("tray"): a window sent there
// hides, a left click brings it back, a right click opens the main window's
// pop-up menu. The tip is the window's caption, and after the "&Timers"
// switch changes it also says whether the timers are on. Where the desktop
// has no tray, windows minimise to the taskbar instead and are never lost.
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <functional>

namespace zul::app {
class App;
}

namespace zul::ui {

class Tray : public QObject {
public:
    Tray(app::App& app, std::function<void(QMenu*)> fillMenu);
    ~Tray() override;

    // Hides window into the tray; false (and nothing done) without a tray.
    bool send(QWidget* window);
    // Sends window to the tray, or minimises it where there is none.
    void sendOrMinimize(QWidget* window);
    // The hidden window comes back (a left click on the icon).
    void restore();
    void timersChanged(bool on);
    void remove();

    QSystemTrayIcon& icon() { return icon_; }
    // Whether the desktop has a tray (tests stand one in).
    std::function<bool()> available = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
    QWidget* hiddenWindow() const { return hidden_; }

private:
    app::App& app_;
    QSystemTrayIcon icon_;
    QMenu menu_;
    QPointer<QWidget> hidden_;
    std::string caption_ = "Zulmarin";
};

} // namespace zul::ui
