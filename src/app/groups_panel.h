#pragma once
// The quick groups panel and the panic button as the main window shows them:
// the panel folded in or out (record 273), the eight labels, and the group
// runner and panic routine that the buttons and the menu drive.
#include <functional>
#include <memory>
#include <string>

#include "app/group_runner.h"
#include "app/panic_routine.h"
#include "platform/signal.h"

namespace zul::app {

class App;

class GroupsPanel {
public:
    explicit GroupsPanel(App& app);
    ~GroupsPanel();

    // Start-up: the panel from record 273, the labels and the panic settings.
    void restore();

    bool shown() const { return shown_; }
    void setShown(bool on);

    // A group's label as shown; "" when it has none.
    const std::string& label(int index) const;
    GroupRunner& runner() { return *runner_; }
    PanicRoutine& panic() { return *panic_; }
    const PanicRoutine& panic() const { return *panic_; }
    bool autoOffButtons() const { return runner_->autoOffButtonsShown(); }

    // Right click while the timer window is open: "Group 3 ON".
    void rightClick(int index, bool on, const std::function<void(const std::string&)>& append);

    // The panic button's colour as 0xRRGGBB.
    unsigned panicRgb() const;

    Signal<> changed;
    // A group's label changed (index 0-7).
    Signal<int> labelChanged;
    // A group ran ON (true) or OFF, by any route; sent: a command of it went out on an open port.
    Signal<int, bool, bool> groupRan;
    // A group file that exists cannot be read (also written to the error log).
    Signal<const std::string&> groupProblem;

private:
    void notify() { changed(); }

    App& app_;
    bool shown_ = false;
    std::unique_ptr<GroupRunner> runner_;
    std::unique_ptr<PanicRoutine> panic_;
};

} // namespace zul::app
