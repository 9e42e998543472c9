#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QUuid>

#include "platform/qt/single_instance.h"
#include "support/qt_application.h"
#include "support/temp_dir.h"

namespace zul::test {
namespace {

class SingleInstanceTest : public ::testing::Test {
protected:
    SingleInstanceTest() { qtApplication(); }
    QString name = "zulmarin-test-" + QUuid::createUuid().toString(QUuid::Id128).left(12);
    TempDir dir;
    QString lock = QString::fromStdString((dir / "zulmarin.lock").string());

    // Processes events until the condition holds or the time is up.
    template <class F>
    bool waitFor(F done, int ms = 2000) {
        QElapsedTimer t;
        t.start();
        while (!done() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return done();
    }
};

TEST_F(SingleInstanceTest, OnlyOneCopyClaimsAndTheOtherHandsItsTextOver) {
    qt::SingleInstance first(name, lock);
    ASSERT_TRUE(first.claim());
    std::vector<std::string> received;
    first.onMessage = [&](const std::string& text) { received.push_back(text); };

    qt::SingleInstance second(name, lock);
    EXPECT_FALSE(second.claim());
    ASSERT_TRUE(qt::SingleInstance::sendToRunning(name, "/home/me/Hall Lights.cro", 2000));
    ASSERT_TRUE(waitFor([&] { return !received.empty(); }));
    EXPECT_EQ(received, (std::vector<std::string>{"/home/me/Hall Lights.cro"}));

    // After the first copy ends, a new start is the running copy.
    first.release();
    EXPECT_TRUE(second.claim());
}

TEST_F(SingleInstanceTest, MessagesThatAreNotOursAreDropped) {
    qt::SingleInstance running(name, lock);
    ASSERT_TRUE(running.claim());
    int received = 0;
    running.onMessage = [&](const std::string&) { ++received; };
    for (const QByteArray& junk : {QByteArray("previous\n"), QByteArray("ZULMARIN1 a\x01.cro\n"),
                                   QByteArray(10000, 'Z')}) {
        QLocalSocket s;
        s.connectToServer(name);
        ASSERT_TRUE(s.waitForConnected(1000));
        s.write(junk);
        s.waitForBytesWritten(1000);
        waitFor([&] { return false; }, 200);
        s.abort();
    }
    ASSERT_TRUE(qt::SingleInstance::sendToRunning(name, "previous", 2000));
    EXPECT_TRUE(waitFor([&] { return received == 1; }));
}

TEST_F(SingleInstanceTest, ASocketLeftByACrashedCopyIsReplaced) {
    const QString stale = QDir::tempPath() + "/" + name;
    {
        QFile f(stale);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    qt::SingleInstance running(name, lock);
    EXPECT_TRUE(running.claim());
    EXPECT_FALSE(qt::SingleInstance::sendToRunning(name + "-nobody", "previous", 300));
}

TEST_F(SingleInstanceTest, SocketNameFollowsTheSettingsFolder) {
    const QString first = qt::SingleInstance::defaultName();
    ScopedHome other;
    EXPECT_NE(first, qt::SingleInstance::defaultName());
}

} // namespace
} // namespace zul::test
