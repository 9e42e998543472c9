#include "ui/tray.h"

#include "app/app.h"
#include "app/options.h"
#include "ui/widgets.h"

namespace zul::ui {

Tray::Tray(app::App& app, std::function<void(QMenu*)> fillMenu) : app_(app) {
    icon_.setIcon(programIcon());
    icon_.setToolTip(q(caption_));
    icon_.setContextMenu(&menu_);
    connect(&menu_, &QMenu::aboutToShow, this, [this, fillMenu] {
        menu_.clear();
        fillMenu(&menu_);
    });
    connect(&icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason why) {
        if (why == QSystemTrayIcon::Trigger) restore();
    });
}

Tray::~Tray() { icon_.hide(); }

bool Tray::send(QWidget* window) {
    if (!window || !available || !available()) return false;
    caption_ = window->windowTitle().toStdString();
    icon_.setToolTip(q(caption_));
    icon_.show();
    hidden_ = window;
    window->hide();
    app_.sounds.play(SoundEvent::Resize);
    return true;
}

void Tray::sendOrMinimize(QWidget* window) {
    if (!send(window) && window) window->showMinimized();
}

void Tray::restore() {
    icon_.hide();
    if (!hidden_) return;
    QWidget* window = hidden_;
    hidden_ = nullptr;
    bringUp(*window);
    app_.sounds.play(SoundEvent::Resize);
}

void Tray::timersChanged(bool on) { icon_.setToolTip(q(app::trayTip(app_, caption_, true, on))); }

void Tray::remove() { icon_.hide(); }

} // namespace zul::ui
