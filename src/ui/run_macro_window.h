#pragma once
// " Run": the macros of the program folder; a double click (or
// Enter) plays one at once with its own pauses. A right click, Esc or
// leaving the window hides it.
#include <QWidget>

class QListWidget;

namespace zul::app {
class App;
}

namespace zul::ui {

class RunMacroWindow : public QWidget {
public:
    static constexpr const char* Window = "frmRunMcr";

    explicit RunMacroWindow(app::App& app, QWidget* parent = nullptr);

    // Fills the list afresh and shows the window beside its parent.
    void open();
    void refresh();
    // Hides the window and plays the selected macro.
    void runSelected();
    QListWidget* list() { return list_; }

protected:
    void changeEvent(QEvent* e) override;
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    app::App& app_;
    QListWidget* list_ = nullptr;
    bool wasActive_ = false;
};

} // namespace zul::ui
