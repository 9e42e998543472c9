// zulmarin service: the timers without any window, on a QCoreApplication
// (no display, no window toolkit plugin). What it does lives in
// app::HeadlessService; this file wires it to the real clock, loop, port,
// socket, signals and file watcher.
#include <QCoreApplication>
#include <QFileSystemWatcher>
#include <QSysInfo>
#include <QTimer>
#include <csignal>
#include <filesystem>
#include <ostream>
#include <pthread.h>
#include <unistd.h>

#include "app/app.h"
#include "handoff/hand_off_desk.h"
#include "service/headless_service.h"
#include "app/line_dialogs.h"
#include "cli/cli.h"
#include "cli/port_choice.h"
#include "cli/started_commands.h"
#include "mqtt/bridge.h"
#include "platform/qt/frame_memory.h"
#include "platform/qt/headless_desktop.h"
#include "platform/qt/line_port_factory.h"
#include "mqtt/mosquitto/mosquitto_client.h"
#include "platform/qt/posix_thread_priority.h"
#include "platform/qt/qt_event_loop.h"
#include "platform/qt/single_instance.h"
#include "platform/qt/stop_signals.h"
#include "platform/system_clock.h"
#include "platform/text.h"
#include "settings/instance_paths.h"
#include "settings/paths.h"
#include "settings/reloadable_settings.h"
#include "x10/port_link.h"
#include "web/page_assets.h"
#include "web/qt/qt_http_server.h"
#include "web/qt/qt_key_derivation.h"
#include "web/web_remote.h"
#include "x10/transmitter.h"

namespace zul::cli {

namespace {

struct SilentSound : SoundPlayer {
    void play(const std::string&) override {}
};

// Until this process holds the lock: the desktop program may own the
// transmitter for a while. False when a signal ended the wait or the
// socket cannot be set up.
bool claimTransmitter(qt::SingleInstance& instance, Io& io, const bool& stopped) {
    if (instance.claim()) return true;
    if (instance.error().empty()) {
        io.err << "zulmarin service: another copy of zulmarin owns the transmitter; waiting for it to end" << std::endl;
        QTimer retry;
        retry.setInterval(2000);
        QObject::connect(&retry, &QTimer::timeout, [&instance] {
            if (instance.claim() || !instance.error().empty()) QCoreApplication::quit();
        });
        retry.start();
        QCoreApplication::exec();
    }
    if (!instance.error().empty()) io.err << "zulmarin service: " << printable(instance.error()) << std::endl;
    return !stopped && instance.claimed();
}

// Watches the timer file, the settings file and their folders; writers
// replace files by renaming, which ends the watch of the old file, so the
// files are watched again after every change.
void watchFiles(QFileSystemWatcher& watcher, app::HeadlessService& service) {
    auto rewatch = [&watcher, &service] {
        const QStringList watched = watcher.files() + watcher.directories();
        QStringList add;
        for (const auto& p : service.watchedPaths()) {
            const QString path = QString::fromStdString(p.string());
            std::error_code ec;
            if (std::filesystem::exists(p, ec) && !watched.contains(path)) add << path;
        }
        if (!add.isEmpty()) watcher.addPaths(add);
    };
    auto changed = [&service, rewatch] {
        service.filesMayHaveChanged();
        rewatch();
    };
    QObject::connect(&watcher, &QFileSystemWatcher::fileChanged, changed);
    QObject::connect(&watcher, &QFileSystemWatcher::directoryChanged, changed);
    rewatch();
}

// Takes "--NAME VALUE" (or "--NAME=VALUE") out of args; false with error set
// for one without a value.
bool takeOption(Args& args, const std::string& name, std::string& value, std::string& error, const char* example) {
    const std::string option = "--" + name;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const bool joined = args[i].rfind(option + "=", 0) == 0;
        if (args[i] != option && !joined) continue;
        if (!joined && i + 1 == args.size()) return error = option + " needs " + example, false;
        value = joined ? args[i].substr(option.size() + 1) : args[i + 1];
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
                   args.begin() + static_cast<std::ptrdiff_t>(i + (joined ? 1 : 2)));
        return true;
    }
    return true;
}

// "--mqtt URL" and "--http [ADDR:]PORT", checked.
bool takeServiceOptions(Args& args, std::string& broker, std::string& http, std::string& error) {
    if (!takeOption(args, "mqtt", broker, error, "a broker address, e.g. mqtt://hub:1883")) return false;
    if (!broker.empty() && !mqtt::parseBroker(broker, error)) return error = "--mqtt '" + broker + "': " + error, false;
    if (!takeOption(args, "http", http, error, "[ADDRESS:]PORT, e.g. 8080 or 0.0.0.0:8080")) return false;
    if (!http.empty() && !web::parseListenAddress(http, error)) return error = "--http: " + error, false;
    return true;
}

// The frame path stays in memory, so a frame never waits for the system to
// read a page of it back; said once when the system does not allow it.
void keepFramePath(app::App& app, const std::function<void(const std::string&)>& fault) {
    const qt::FrameMemory kept = qt::lockFramePath({reinterpret_cast<const void*>(&x10::readBitStateMicros)});
    if (!kept.error) return;
    const std::string text = "the sending code cannot be locked in memory (" + kept.error.message() +
                             "); a frame may wait while the system reads it back from disk";
    fault(text);
    app.errorLog.logErrorOnce("SendBits", "modX10", kept.error.value(), text);
}

int runService(Io& io, const std::optional<std::string>& port, const std::string& mqttBroker,
               const std::string& httpAddress, qt::SingleInstance& instance, std::function<void()>& stop,
               const bool& stopped) {
    auto settingsFile = std::make_unique<ReloadableSettings>(configFolder() / "settings.ini");
    ReloadableSettings* settings = settingsFile.get();
    // Names of files and ports, timer entries and file contents come from
    // outside: nothing reaches the journal unescaped.
    auto fault = [&io](const std::string& text) { io.err << "zulmarin service: " << printable(text) << std::endl; };
    SystemClock clock;
    qt::QtEventLoop loop;
    app::LineDialogs dialogs(fault);
    SilentSound sound;
    qt::HeadlessDesktop desktop;
    qt::PosixThreadPriority priority;
    app::Platform platform{clock,    loop,
                           dialogs,  sound,
                           desktop,  [&clock](const std::string& name) { return qt::makeLinePort(name, clock); },
                           &priority};
    app::App app(platform, std::move(settingsFile));
    app.processId = static_cast<long>(::getpid());
    app.transmitter.setSpinMicros(x10::RealTimeSpinMicros);
    reportSettingsProblem(app.settings, io.err, app.errorLog);
    keepFramePath(app, fault);
    app::HeadlessService service(app, settings,
                                 {[&io](const std::string& line) { io.out << printable(line) << std::endl; }, fault});
    instance.onMessage = [&service](const std::string& text, qt::SingleInstance::Reply reply) {
        service.desk().receive(text, std::move(reply));
    };
    // The signal may come while a timer is being started or a frame waits:
    // every wait ends at once and the loop returns to its top, where the
    // machinery is taken down with nothing of it left on the stack.
    stop = [&app] {
        app.StopAll = true;
        QCoreApplication::quit();
    };
    service.start(port);
    // The bridge to a home-automation hub, when "Mqtt" is enabled or --mqtt names a broker.
    auto bridge = std::make_unique<mqtt::MqttBridge>(
        app, [] { return std::make_unique<mqtt::MosquittoClient>(); },
        mqtt::DeviceInfo{QSysInfo::machineHostName().toStdString(), ZUL_VERSION});
    bridge->logLine = [&io](const std::string& line) { io.err << "zulmarin service: " << line << std::endl; };
    bridge->start(mqttBroker);
    // The web remote, when "WebRemote" is on or --http names an address.
    web::qt::QtKeyDerivation keys;
    auto remote = std::make_unique<web::WebRemote>(
        app, *bridge, [] { return std::make_unique<web::qt::QtHttpServer>(); }, keys, web::pageAssets());
    remote->statusChanged = [&io, &remote] { io.err << "zulmarin service: " << remote->status() << std::endl; };
    const bool serving = remote->start(httpAddress) || httpAddress.empty();
    QFileSystemWatcher watcher;
    watchFiles(watcher, service);
    if (!stopped && serving) QCoreApplication::exec();
    remote->statusChanged = nullptr;
    remote.reset();
    bridge.reset(); // "offline" to the hub while the machinery still stands
    service.stop();
    instance.onMessage = nullptr;
    stop = [] {};
    return serving ? 0 : 1;
}

} // namespace

int serviceCommand(const Args& given, Io& io) {
    qt::HeldStopSignals held;
    std::string error, mqttBroker, httpAddress;
    Args args = given;
    if (!takeServiceOptions(args, mqttBroker, httpAddress, error)) return badInput(io, error);
    const auto options = parsePortOptions(args, error);
    if (!options) return badInput(io, error);
    if (!options->positional.empty())
        return badInput(io, "service takes no arguments besides --port, --mqtt and --http (try --help)");
    std::optional<std::string> port;
    if (options->port && !(port = x10::checkPortText(*options->port, error)))
        return badInput(io, "--port '" + *options->port + "': " + error);
    const auto paths = instancePaths(error);
    if (!paths) {
        io.err << "zulmarin service: " << printable(error) << "\n";
        return 1;
    }
    static int argc = 1;
    static char name[] = "zulmarin";
    static char* argv[] = {name, nullptr};
    QCoreApplication qtApp(argc, argv);
    qt::SingleInstance instance(*paths);
    bool stopped = false;
    std::function<void()> stop = [] { QCoreApplication::quit(); };
    qt::StopSignals stopSignals([&](int) {
        stopped = true;
        stop();
    });
    held.release();
    if (!claimTransmitter(instance, io, stopped)) return stopped ? 0 : 1;
    if (!httpAddress.empty()) {
        web::WebSettings remote = web::loadWebSettings(UserSettings(io).settings);
        remote.address = httpAddress;
        if (const std::string problem = web::startProblem(remote); !problem.empty())
            return failed(io, "the web remote cannot start: " + problem);
    }
    return runService(io, port, mqttBroker, httpAddress, instance, stop, stopped);
}

} // namespace zul::cli
