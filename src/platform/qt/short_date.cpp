#include "platform/qt/short_date.h"

#include <QDate>
#include <QLocale>

namespace zul::qt {

std::string shortDateText(const DateTime& t) {
    return QLocale::system().toString(QDate(t.year, t.month, t.day), QLocale::ShortFormat).toStdString();
}

} // namespace zul::qt
