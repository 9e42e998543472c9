#include "platform/qt/qt_desktop.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

namespace zul::qt {

namespace {
// "https://...", "mailto:..." and the like; a local file of that name wins.
bool looksLikeUrl(const QString& text) {
    static const QRegularExpression scheme("^[A-Za-z][A-Za-z0-9+.-]+:");
    return scheme.match(text).hasMatch() && !QFileInfo::exists(text);
}

// A local file, possibly with "#anchor" (help pages).
QUrl localFileUrl(const QString& text) {
    const qsizetype hash = text.lastIndexOf('#');
    if (hash > 0 && !QFileInfo::exists(text) && QFileInfo::exists(text.left(hash))) {
        QUrl url = QUrl::fromLocalFile(text.left(hash));
        url.setFragment(text.mid(hash + 1));
        return url;
    }
    return QUrl::fromLocalFile(text);
}
} // namespace

bool QtDesktop::open(const std::string& pathOrUrl) {
    const QString text = QString::fromStdString(pathOrUrl);
    if (text.isEmpty()) return false;
    return QDesktopServices::openUrl(looksLikeUrl(text) ? QUrl(text) : localFileUrl(text));
}

bool QtDesktop::startProgram(const std::string& program, const std::vector<std::string>& args) {
    QStringList list;
    for (const auto& a : args) list << QString::fromStdString(a);
    return QProcess::startDetached(QString::fromStdString(program), list);
}

} // namespace zul::qt
