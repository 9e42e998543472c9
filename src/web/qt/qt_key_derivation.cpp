#include "web/qt/qt_key_derivation.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QPasswordDigestor>
#include <QRandomGenerator>

namespace zul::web::qt {

std::string QtKeyDerivation::pbkdf2Sha256(const std::string& password, const std::string& salt, int iterations,
                                          std::size_t length) const {
    const QByteArray key = QPasswordDigestor::deriveKeyPbkdf2(
        QCryptographicHash::Sha256, QByteArray::fromStdString(password), QByteArray::fromStdString(salt), iterations,
        static_cast<quint64>(length));
    return key.toStdString();
}

std::string QtKeyDerivation::randomBytes(std::size_t n) const {
    std::string out(n, '\0');
    for (char& c : out) c = static_cast<char>(QRandomGenerator::system()->bounded(256));
    return out;
}

} // namespace zul::web::qt
