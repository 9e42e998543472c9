#pragma once
// The help window: the program's own HTML help pages in a browser with Back,
// Forward and Contents; links between the pages stay inside it, web links
// open in the desktop's browser.
#include <QDialog>
#include <filesystem>
#include <string>

class QPushButton;
class QTextBrowser;

namespace zul::app {
class App;
}

namespace zul::ui {

class HelpWindow : public QDialog {
public:
    explicit HelpWindow(app::App& app, QWidget* parent = nullptr);
    // Shows page at the section anchor ("" for the top).
    void showPage(const std::filesystem::path& page, const std::string& anchor);
    QTextBrowser* browser() { return browser_; }

private:
    QTextBrowser* browser_ = nullptr;
    QPushButton *back_ = nullptr, *forward_ = nullptr, *contents_ = nullptr, *close_ = nullptr;
};

} // namespace zul::ui
