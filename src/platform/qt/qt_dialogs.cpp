#include "platform/qt/qt_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

namespace zul::qt {

namespace {
QString q(const std::string& s) { return QString::fromStdString(s); }

QWidget* owner() { return QApplication::activeWindow(); }

QString filterText(const std::vector<FileFilter>& filters) {
    QStringList parts;
    for (const auto& f : filters) {
        QStringList patterns;
        for (const auto& p : f.patterns) patterns << q(p);
        parts << (f.description.find('(') == std::string::npos ? q(f.description) + " (" + patterns.join(' ') + ")"
                                                               : q(f.description));
    }
    return parts.join(";;");
}

// A box that waits for its answer stays above every window, an information
// left open on top included: that one takes no clicks while the box waits.
int waitOnTop(QMessageBox::Icon icon, const std::string& text, const std::string& title,
              QMessageBox::StandardButtons buttons, QMessageBox::StandardButton byDefault = QMessageBox::NoButton) {
    QMessageBox box(icon, q(title), q(text), buttons, owner());
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    if (byDefault != QMessageBox::NoButton) box.setDefaultButton(byDefault);
    return box.exec();
}

std::optional<std::string> chosen(const QString& path) {
    if (path.isEmpty()) return std::nullopt;
    return path.toStdString();
}
} // namespace

void QtDialogs::info(const InfoBox& box) {
    auto* m = new QMessageBox(QMessageBox::Information, q(box.title), q(box.message), QMessageBox::NoButton, owner());
    m->addButton(q(box.button), QMessageBox::AcceptRole);
    if (box.onTop) m->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    if (box.wait) {
        m->exec();
        delete m;
        return;
    }
    // The information window stays up while the program goes on.
    m->setAttribute(Qt::WA_DeleteOnClose);
    m->setModal(false);
    m->show();
}

void QtDialogs::message(const std::string& text, const std::string& title) {
    waitOnTop(QMessageBox::Information, text, title, QMessageBox::Ok);
}

Answer QtDialogs::question(const std::string& text, const std::string& title, bool withCancel) {
    auto buttons = QMessageBox::Yes | QMessageBox::No;
    if (withCancel) buttons |= QMessageBox::Cancel;
    const int answer = waitOnTop(QMessageBox::Question, text, title, buttons);
    if (answer == QMessageBox::Yes) return Answer::Yes;
    return answer == QMessageBox::No ? Answer::No : Answer::Cancel;
}

Answer QtDialogs::questionDefaultNo(const std::string& text, const std::string& title) {
    const int answer =
        waitOnTop(QMessageBox::Question, text, title, QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    return answer == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

std::optional<std::string> QtDialogs::input(const std::string& prompt, const std::string& title,
                                            const std::string& initial) {
    bool ok = false;
    const QString text = QInputDialog::getText(owner(), q(title), q(prompt), QLineEdit::Normal, q(initial), &ok);
    if (!ok) return std::nullopt;
    return text.toStdString();
}

std::optional<std::string> QtDialogs::openFile(const std::string& title, const std::string& folder,
                                               const std::vector<FileFilter>& filters) {
    return chosen(QFileDialog::getOpenFileName(owner(), q(title), q(folder), filterText(filters)));
}

std::optional<std::string> QtDialogs::saveFile(const std::string& title, const std::string& initialPath,
                                               const std::vector<FileFilter>& filters) {
    // The program asks its own overwrite question, with its own words.
    return chosen(QFileDialog::getSaveFileName(owner(), q(title), q(initialPath), filterText(filters), nullptr,
                                               QFileDialog::DontConfirmOverwrite));
}

} // namespace zul::qt
