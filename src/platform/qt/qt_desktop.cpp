#include "platform/qt/qt_desktop.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QStandardPaths>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

#include "platform/package_programs.h"

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

bool startDetached(const std::string& program, const std::vector<std::string>& args) {
    QStringList list;
    for (const auto& a : args) list << QString::fromStdString(a);
    return QProcess::startDetached(QString::fromStdString(program), list);
}

// The zulmarin program, as the launchers start it; found on the PATH when
// the system cannot tell.
std::filesystem::path runningProgram() {
    const auto exe = zulmarinProgram();
    return exe.empty() ? std::filesystem::path("zulmarin") : exe;
}

// The icon the launchers name: the shipped picture, else the installed theme's.
std::string launcherIcon(const std::filesystem::path& picture) {
    std::error_code ec;
    return !picture.empty() && std::filesystem::exists(picture, ec) ? std::filesystem::absolute(picture, ec).string()
                                                                    : "zulmarin";
}
} // namespace

QtDesktop::QtDesktop(const std::filesystem::path& icon)
    : xdg_(XdgFolders::fromEnvironment(), runningProgram(), launcherIcon(icon),
           [](const std::string& tool, const std::vector<std::string>& args) { startDetached(tool, args); }) {}

bool QtDesktop::open(const std::string& pathOrUrl) {
    const QString text = QString::fromStdString(pathOrUrl);
    if (text.isEmpty()) return false;
    return QDesktopServices::openUrl(looksLikeUrl(text) ? QUrl(text) : localFileUrl(text));
}

void QtDesktop::openFile(const std::string& path, std::function<void()> failed) {
    const QString opener = QStandardPaths::findExecutable("xdg-open");
    if (opener.isEmpty()) return Desktop::openFile(path, std::move(failed));
    auto* process = new QProcess(QCoreApplication::instance());
    process->setProgram(opener);
    process->setArguments({QString::fromStdString(path)});
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    // A process that cannot start reports that error and no end; any other ends.
    auto done = [process, failed = std::move(failed)](bool ok) mutable {
        if (!ok && failed) failed();
        failed = nullptr;
        process->deleteLater();
    };
    QObject::connect(process, &QProcess::finished, process, [done](int code, QProcess::ExitStatus status) mutable {
        done(status == QProcess::NormalExit && code == 0);
    });
    QObject::connect(process, &QProcess::errorOccurred, process, [done](QProcess::ProcessError error) mutable {
        if (error == QProcess::FailedToStart) done(false);
    });
    process->start();
}

bool QtDesktop::startProgram(const std::string& program, const std::vector<std::string>& args) {
    return startDetached(program, args);
}

} // namespace zul::qt
