// The service without windows on virtual time: timers fired at their
// second, changes on disk taken without a restart, faults reported once,
// hand-offs answered once their frames are out, and a clean stop.
#include <chrono>
#include <optional>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "handoff/hand_off_desk.h"
#include "service/headless_service.h"
#include "app/app_fixture.h"
#include "platform/text.h"
#include "settings/reloadable_settings.h"
#include "timers/timer_rig.h"
#include "timers/timer_service.h"

namespace zul::test {
namespace {

// Rows: code + pause ("A1 ON, 1 s", "B2 ON, 0.2 s", "A1 OFF, 0.3 s").
constexpr const char* A1On = "01100000000000000001";
constexpr const char* B2On = "011100000001000000.2";
constexpr const char* A1Off = "011000000010000000.3";

void plantSocket(const std::filesystem::path& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
}

// A simulated transmitter that can refuse to open or go away, as a USB adapter does.
struct FlakyTransmitter : sim::SimulatedTransmitter {
    FlakyTransmitter(const Clock& clock, const std::optional<PortError>& failure, const bool& gone)
        : SimulatedTransmitter(clock, true), failure_(failure), gone_(gone) {}
    PortError open(const std::string& name) override { return failure_ ? *failure_ : SimulatedTransmitter::open(name); }
    bool lost() const override { return gone_; }
    const std::optional<PortError>& failure_;
    const bool& gone_;
};

class HeadlessServiceTest : public AppFixture {
protected:
    HeadlessServiceTest() {
        app.reset();
        auto store = std::make_unique<ReloadableSettings>(home.config() / "settings.ini");
        settings = store.get();
        app::Platform platform{clock, loop, dialogs, sound, desktop, [this](const std::string&) {
                                   auto t = std::make_unique<FlakyTransmitter>(clock, openFailure, portGone);
                                   transmitter = t.get();
                                   ++opens;
                                   return std::unique_ptr<LinePort>(std::move(t));
                               }};
        app = std::make_unique<app::App>(platform, std::move(store));
        service = std::make_unique<app::HeadlessService>(
            *app, settings,
            app::HeadlessService::Output{[this](const std::string& l) { lines.push_back(at() + l); },
                                         [this](const std::string& l) { faults.push_back(l); }});
    }
    ~HeadlessServiceTest() override { service.reset(); }

    std::string at() const { return clock.now().isoText().substr(11, 8) + " "; }

    void writeTimers(const std::vector<std::string>& timers) {
        // The writers replace the file; a new inode tells the change even within one clock tick.
        writeFile(home.home() / "tmrdat.zul.new", quotedLines(timers));
        std::filesystem::rename(home.home() / "tmrdat.zul.new", home.home() / "tmrdat.zul");
    }

    void start(const std::vector<std::string>& timers, const char* port = "sim") {
        writeTimers(timers);
        writeFile(home.home() / "wake.cro", quotedLines({A1On, B2On}));
        service->start(port ? std::optional<std::string>(port) : std::nullopt);
    }

    std::vector<std::string> linesWith(const std::string& part) const {
        std::vector<std::string> out;
        for (const auto& l : lines)
            if (l.find(part) != std::string::npos) out.push_back(l);
        return out;
    }

    // Hands text over as another start would; the answer once it comes.
    std::optional<app::HandOffAnswer>& handOff(const std::string& text) { return watchedHandOff(text).answer; }

    // The same with the notices it got before its answer, and a caller that can go.
    struct Handed {
        std::vector<std::string> notices;
        std::optional<app::HandOffAnswer> answer;
        bool gone = false;
    };
    Handed& watchedHandOff(const std::string& text) {
        Handed& h = handed.emplace_back();
        const auto answered = [&h](const app::HandOffAnswer& a) {
            if (a.waiting) h.notices.push_back(a.message);
            else h.answer = a;
        };
        service->desk().receive(text, app::HandOffReply(answered, [&h] { return h.gone; }));
        return h;
    }

    // The reason of an error answer, after the desk's next ticks.
    std::string refusal(const std::string& text) {
        auto& answer = handOff(text);
        loop.runFor(200);
        return answer && !answer->ok ? answer->message : "<no error>";
    }

    ReloadableSettings* settings = nullptr;
    std::optional<PortError> openFailure;
    bool portGone = false;
    int opens = 0;
    std::vector<std::string> lines, faults;
    std::deque<Handed> handed;
    std::unique_ptr<app::HeadlessService> service;
};

TEST_F(HeadlessServiceTest, TimersRunFromTheStartAndEachLogEntryIsOneEscapedLine) {
    start({"A 1 ON*12:00:05*Everyday", "wake.cro*12:00:08*Everyday", "B 2 ON*12:00:09*Never",
           "B 2 \xe2\x80\xaeNO\xc2\x9b\x1b[2J*12:00:11*Everyday"});
    loop.runFor(12000);
    EXPECT_EQ(linesWith("simulator:"),
              (std::vector<std::string>{"12:00:05 simulator: A1 ON", "12:00:08 simulator: A1 ON",
                                        "12:00:09 simulator: B2 ON"}));
    EXPECT_EQ(linesWith("Timer 1"),
              std::vector<std::string>{"12:00:05 2024-06-03 12:00:05 Timer 1:  (A 1 ON) :  Success"});
    EXPECT_EQ(linesWith("Timer 2").front(), "12:00:08 Timer 2 : (wake.cro) : Started - 2024-06-03 12:00:08");
    EXPECT_EQ(linesWith("Master Timer Enabled").size(), 1u);
    // The text-direction override, the C1 and the C0 control of a hostile entry, as text.
    EXPECT_EQ(linesWith("Timer 4"),
              std::vector<std::string>{
                  "12:00:11 2024-06-03 12:00:11 Timer 4: Error - B 2 \\xe2\\x80\\xaeNO\\xc2\\x9b\\x1b[2J"});
    for (const auto& l : lines) EXPECT_TRUE(isPlainText(l)) << l;
    EXPECT_TRUE(faults.empty());
    EXPECT_TRUE(dialogs.shown.empty());
}

// What a save cut short (kill -9) left goes at the next start: only files of
// this user, named as our saves name them, for files we save, and older than
// a minute (a save still under way is never touched).
TEST_F(HeadlessServiceTest, TheStartRemovesWhatSavesCutShortLeftAndNothingElse) {
    const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::minutes(2);
    std::vector<std::string> names{".TimerLog.log.FZo1jW4R", ".tmrdat.zul.Ab3dEf9h", ".notes.txt.ABCDEFGH",
                                   ".error.log.short"};
    if (::geteuid() == 0) names.push_back(".db.zld.Zz9Zz9Zz"); // given to another user below
    for (const auto& name : names) {
        writeFile(home.home() / name, "partial");
        if (name != ".tmrdat.zul.Ab3dEf9h") std::filesystem::last_write_time(home.home() / name, old);
    }
    if (::geteuid() == 0) {
        ASSERT_EQ(::lchown((home.home() / ".db.zld.Zz9Zz9Zz").c_str(), 65534, 65534), 0);
    }
    writeFile(home.config() / ".settings.ini.q1W2e3R4", "partial");
    std::filesystem::last_write_time(home.config() / ".settings.ini.q1W2e3R4", old);
    start({});
    for (const auto& name : names) EXPECT_EQ(std::filesystem::exists(home.home() / name), name != names[0]) << name;
    EXPECT_FALSE(std::filesystem::exists(home.config() / ".settings.ini.q1W2e3R4"));
    EXPECT_EQ(linesWith("removed"),
              (std::vector<std::string>{"12:00:00 removed " + (home.home() / names[0]).string() +
                                            ", left by a save that was cut short",
                                        "12:00:00 removed " + (home.config() / ".settings.ini.q1W2e3R4").string() +
                                            ", left by a save that was cut short"}));
}

TEST_F(HeadlessServiceTest, ChangedFilesAreTakenWithoutARestart) {
    start({"A 1 ON*12:00:05*Everyday"});
    // A replaced timer file: the old timer is gone, the new one runs.
    writeTimers({"A 1 ON*12:00:05*Never", "B 2 ON*12:00:06*Everyday"});
    service->filesMayHaveChanged();
    loop.runFor(8000);
    EXPECT_EQ(linesWith("simulator:"), std::vector<std::string>{"12:00:06 simulator: B2 ON"});
    EXPECT_EQ(linesWith("timers reloaded").size(), 1u);

    // A notice without a change reloads nothing; a settings file written by
    // another program is read again (its loop keys reload the table).
    service->filesMayHaveChanged();
    loop.runFor(1000);
    EXPECT_EQ(linesWith("timers reloaded").size(), 1u);
    IniSettingsStore other(home.config() / "settings.ini");
    other.write(Setting::LoopEntry, "wake.cro");
    service->filesMayHaveChanged();
    loop.runFor(1000);
    EXPECT_EQ(readSetting(*settings, Setting::LoopEntry), "wake.cro");
    EXPECT_EQ(linesWith("timers reloaded").size(), 2u);

    // A timer file that cannot be read is reported once; the service runs on
    // and takes the file again once it is readable, looking again on every
    // tick meanwhile (a change of mode need not come with a notice).
    std::filesystem::remove(home.home() / "tmrdat.zul");
    plantSocket(home.home() / "tmrdat.zul"); // exists, cannot be opened for reading
    service->filesMayHaveChanged();
    loop.runFor(1000);
    ASSERT_EQ(faults.size(), 1u);
    EXPECT_NE(faults[0].find("tmrdat.zul cannot be read"), std::string::npos) << faults[0];
    std::filesystem::remove(home.home() / "tmrdat.zul");
    writeTimers({"A 1 OFF*12:00:12*Everyday"});
    loop.runFor(2000);
    EXPECT_EQ(linesWith("simulator:").back(), "12:00:12 simulator: A1 OFF");
    EXPECT_EQ(faults.size(), 1u);
}

TEST_F(HeadlessServiceTest, APortThatIsMissingOrGoesAwayIsReportedOnceAndTriedAgain) {
    openFailure = PortError{PortErrorKind::InvalidPort, 8002, "No such device: /tmp/zul-missing-port"};
    start({"A 1 ON*12:00:20*Everyday"}, "/tmp/zul-missing-port");
    loop.runFor(12000);
    EXPECT_EQ(opens, 3); // at start and every 5 s
    ASSERT_EQ(faults.size(), 1u);
    EXPECT_EQ(
        faults[0],
        "cannot open port /tmp/zul-missing-port: 8002 No such device: /tmp/zul-missing-port; trying again every 5 s");
    const auto logged = readErrorLog(app->errorLog.file());
    ASSERT_TRUE(logged.problem.empty() && logged.entries.size() == 1u) << logged.problem;
    EXPECT_NE(logged.entries.front().message.find(faults[0]), std::string::npos) << logged.entries.front().message;
    EXPECT_EQ(refusal("send A 2 ON"), "the transmitter's port is not open in the running copy of zulmarin");

    openFailure.reset();
    loop.runFor(5000);
    EXPECT_EQ(linesWith("is open"),
              std::vector<std::string>{"12:00:15 transmitter port /tmp/zul-missing-port is open"});
    loop.runFor(6000);
    EXPECT_EQ(linesWith("simulator:"), std::vector<std::string>{"12:00:20 simulator: A1 ON"});

    portGone = true;
    loop.runFor(5000);
    EXPECT_EQ(faults.back(), "the port /tmp/zul-missing-port has gone away; trying again every 5 s");
    EXPECT_FALSE(app->port.isOpen());
    portGone = false;
    loop.runFor(5000);
    EXPECT_TRUE(app->port.isOpen());
    EXPECT_EQ(faults.size(), 2u);
    EXPECT_EQ(linesWith("is open").size(), 2u);
}

TEST_F(HeadlessServiceTest, HandedCommandsGoOutBetweenFramesAndAreAnsweredOnceOut) {
    auto& early = handOff("send B 2 ON"); // before the start: it waits
    start({"wake.cro*12:00:02*Everyday"});
    loop.runFor(100);
    EXPECT_TRUE(early && early->ok);

    // While a timer's macro plays, a send and a run are taken one at a time.
    loop.runFor(2000);
    writeFile(home.home() / "off.cro", quotedLines({A1Off}));
    auto& sent = handOff("send A 3 OFF");
    auto& played = handOff("run " + (home.home() / "off.cro").string());
    std::string quoted(1, '"'); // built by appending (see numbered.h)
    quoted += (home.home() / "off.cro").string() + "\"";
    auto& boxed = handOff(quoted);
    EXPECT_FALSE(sent || played || boxed);
    loop.runFor(4000);
    ASSERT_TRUE(sent && played && boxed);
    EXPECT_TRUE(sent->ok && played->ok && boxed->ok);
    const auto decoded = transmitter->decoder().texts();
    EXPECT_EQ(std::count(decoded.begin(), decoded.end(), "A1 OFF"), 2);
    EXPECT_EQ(std::count(decoded.begin(), decoded.end(), "A3 OFF"), 1);
    for (const auto& d : decoded) EXPECT_EQ(d.find("malformed"), std::string::npos) << d;

    EXPECT_EQ(refusal("send A 17 ON"), "unit code '17' must be 1 to 16, PRE or ALL");
    EXPECT_EQ(refusal("run /nowhere/x.cro"), "no such macro file: /nowhere/x.cro");
    EXPECT_EQ(refusal("previous"), app::ServiceOwnsTransmitterMessage);
}

// A macro handed over with a pause of 9999 s: a send goes out between its
// frames at once, a second macro is told what it waits for, and the first
// caller ending its connection ends the long run (with its trailer). The
// steps are actions on the loop: the long pause runs them as it waits.
TEST_F(HeadlessServiceTest, NoHandOverWaitsBehindALongMacroAndItsCallerCanEndIt) {
    start({});
    writeFile(home.home() / "long.cro", quotedLines({"01100000000000009999"}));
    writeFile(home.home() / "off.cro", quotedLines({A1Off}));
    const std::string longMacro = (home.home() / "long.cro").string(), off = (home.home() / "off.cro").string();
    const auto texts = [this] { return transmitter->decoder().texts(); };
    Handed& longRun = watchedHandOff("run " + longMacro);
    Handed *sent = nullptr, *next = nullptr;
    std::size_t before = 0;
    bool sentWithinASecond = false;
    loop.afterMs(1500, [&] {
        before = texts().size();
        sent = &watchedHandOff("send A 2 ON");
    });
    loop.afterMs(2500, [&] {
        sentWithinASecond = sent->answer && sent->answer->ok;
        next = &watchedHandOff("run " + off);
    });
    loop.afterMs(3000, [&] {
        EXPECT_EQ(next->notices,
                  std::vector<std::string>{"waiting for the macro " + longMacro + ", handed over earlier, to end"});
        EXPECT_FALSE(next->answer);
        EXPECT_EQ(service->desk().waiting(), 2u);
        longRun.gone = true;
    });
    ASSERT_TRUE(loop.runUntilTrue([&] { return next && next->answer; }, 10000));
    EXPECT_TRUE(sentWithinASecond);
    EXPECT_TRUE(next->answer->ok);
    const auto decoded = texts();
    EXPECT_EQ(std::vector<std::string>(decoded.begin() + static_cast<std::ptrdiff_t>(before), decoded.end()),
              (std::vector<std::string>{"A2 ON", "trailer", "trailer", "lead-in", "A1 OFF", "trailer", "trailer"}));

    // A caller that gives up while its macro waits gets nothing played.
    Handed& again = watchedHandOff("run " + longMacro);
    loop.afterMs(500, [&] {
        watchedHandOff("run " + off).gone = true;
        again.gone = true;
    });
    loop.runFor(2000);
    const auto after = texts();
    EXPECT_EQ(after.back(), "trailer");
    EXPECT_EQ(std::count(after.begin(), after.end(), "A1 OFF"), 1);
    EXPECT_EQ(service->desk().waiting(), 0u);
}

TEST_F(HeadlessServiceTest, StopEndsRunsWithTheTrailerSavesTheLogAndAnswersWhatWaits) {
    writeFile(home.home() / "long.cro", quotedLines({A1On, "011000000000000010.0"}));
    start({"long.cro*12:00:02*Everyday"});
    loop.runFor(4000);
    ASSERT_TRUE(app->timers->anyRunnerActive());
    auto& waiting = handOff("run " + (home.home() / "long.cro").string());
    service->stop();
    EXPECT_TRUE(app->StopAll);
    EXPECT_EQ(app->timers, nullptr);
    EXPECT_FALSE(app->port.isOpen());
    EXPECT_EQ(transmitter->decoder().texts().back(), "trailer");
    EXPECT_NE(readFile(home.home() / "TimerLog.log").find("Timer 1 : (long.cro)"), std::string::npos);
    EXPECT_EQ(lines.back(), "12:00:04 stopped");
    service.reset();
    ASSERT_TRUE(waiting);
    EXPECT_FALSE(waiting->ok);
}

} // namespace
} // namespace zul::test
