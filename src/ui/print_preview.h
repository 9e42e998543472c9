#pragma once
// "Print Preview": the printout's text in a scrollable box that
// grows with the window, "&Print" and "&Close".
#include <QDialog>
#include <functional>

class QPlainTextEdit;
class QPushButton;

namespace zul::app {
class App;
}

namespace zul::ui {

class PrintPreview : public QDialog {
public:
    explicit PrintPreview(app::App& app, QWidget* parent = nullptr);

    void showText(const QString& text);
    QString text() const;
    // "&Print": prints the box's contents.
    std::function<void(const QString&)> print;

    QPlainTextEdit* textBox() { return text_; }
    QPushButton* printButton() { return print_; }

private:
    QPlainTextEdit* text_ = nullptr;
    QPushButton *print_ = nullptr, *close_ = nullptr;
};

} // namespace zul::ui
