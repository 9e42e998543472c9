#include "platform/qt/headless_desktop.h"

#include <QProcess>
#include <QStringList>

namespace zul::qt {

bool HeadlessDesktop::open(const std::string& pathOrUrl) {
    return !pathOrUrl.empty() && startProgram("xdg-open", {pathOrUrl});
}

bool HeadlessDesktop::startProgram(const std::string& program, const std::vector<std::string>& args) {
    QStringList list;
    for (const auto& a : args) list << QString::fromStdString(a);
    return QProcess::startDetached(QString::fromStdString(program), list);
}

} // namespace zul::qt
