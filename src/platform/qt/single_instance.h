#pragma once
// One running copy per user: a lock file in the settings folder and a local
// socket whose name carries the user id. A second start hands its text to the
// running copy over the socket and ends.
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <string>

class QLocalServer;
class QLockFile;

namespace zul::qt {

class SingleInstance : public QObject {
public:
    // name: the socket name; lockFile: the lock file that guards it.
    SingleInstance(QString name, QString lockFile);
    ~SingleInstance() override;

    // "zulmarin-<uid>", plus a hash of the settings folder when
    // ZULMARIN_CONFIG_DIR names one (tests and separate profiles).
    static QString defaultName();
    static QString defaultLockFile();

    // True when this process is now the running copy: it holds the lock and
    // listens. A socket left behind by a crashed copy is removed only after
    // connecting to it has failed.
    bool claim();
    // Gives up the lock and the socket (before a restart).
    void release();
    bool claimed() const { return server_ != nullptr; }

    // Hands text to the running copy; false when none took it in time.
    static bool sendToRunning(const QString& name, const std::string& text, int timeoutMs = 3000);

    // Every valid message received.
    std::function<void(const std::string&)> onMessage;

private:
    void acceptConnection();

    QString name_;
    QString lockPath_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
};

} // namespace zul::qt
