#include "platform/qt/qt_event_loop.h"

#include <QCoreApplication>
#include <QTimer>
#include <ctime>
#include <memory>
#include <thread>

namespace zul::qt {

namespace {
class QtTick : public Tick {
public:
    QtTick(std::string name, int periodMs, std::function<void()> handler)
        : name_(std::move(name)), handler_(std::move(handler)), alive_(std::make_shared<bool>(true)) {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(periodMs);
        QObject::connect(&timer_, &QTimer::timeout, [this, alive = alive_] {
            if (running_) return; // never inside itself
            running_ = true;
            auto handler = handler_;
            handler();
            if (*alive) running_ = false;
        });
    }
    ~QtTick() override { *alive_ = false; }
    void setEnabled(bool on) override {
        if (on && !timer_.isActive() && timer_.interval() > 0) timer_.start();
        if (!on) timer_.stop();
        enabled_ = on;
    }
    bool enabled() const override { return enabled_; }
    void setInterval(int ms) override {
        timer_.setInterval(ms);
        if (enabled_) {
            if (ms > 0) timer_.start();
            else timer_.stop();
        }
    }
    int interval() const override { return timer_.interval(); }
    const std::string& name() const override { return name_; }
    bool running() const override { return running_; }
    void setCoarse(bool on) override {
        timer_.setTimerType(on ? Qt::CoarseTimer : Qt::PreciseTimer);
        if (timer_.isActive()) timer_.start(); // the type takes effect on a start
    }

private:
    std::string name_;
    std::function<void()> handler_;
    std::shared_ptr<bool> alive_;
    QTimer timer_;
    bool enabled_ = false;
    bool running_ = false;
};
} // namespace

std::unique_ptr<Tick> QtEventLoop::createTick(std::string name, int periodMs, std::function<void()> handler) {
    return std::make_unique<QtTick>(std::move(name), periodMs, std::move(handler));
}

void QtEventLoop::processEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void QtEventLoop::post(std::function<void()> work) {
    if (QCoreApplication* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, std::move(work), Qt::QueuedConnection);
}

void QtEventLoop::sleepMs(int ms) {
    if (ms <= 0) {
        std::this_thread::yield();
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void QtEventLoop::sleepUntilMicros(std::int64_t deadline) {
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(deadline / 1000000);
    ts.tv_nsec = static_cast<long>((deadline % 1000000) * 1000);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {}
}

} // namespace zul::qt
