#pragma once
// "Show Tool Tips": while it is off, no tool tip of a window shows.
#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <functional>

namespace zul::ui {

class ToolTipGate : public QObject {
public:
    // everyWindow: the tips of all the program's windows, not only window's
    // (the gate then lives as long as window does).
    ToolTipGate(QWidget* window, std::function<bool()> shown, bool everyWindow = false)
        : QObject(window), window_(everyWindow ? nullptr : window), shown_(std::move(shown)) {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ToolTip || shown_()) return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        return widget && (!window_ || widget->window() == window_);
    }

private:
    QWidget* window_;
    std::function<bool()> shown_;
};

} // namespace zul::ui
