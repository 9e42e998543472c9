#pragma once
// "Show Tool Tips": while it is off, no tool tip of a window shows.
#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <functional>

namespace zul::ui {

class ToolTipGate : public QObject {
public:
    ToolTipGate(QWidget* window, std::function<bool()> shown) : QObject(window), window_(window), shown_(std::move(shown)) {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ToolTip || shown_()) return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        return widget && widget->window() == window_;
    }

private:
    QWidget* window_;
    std::function<bool()> shown_;
};

} // namespace zul::ui
