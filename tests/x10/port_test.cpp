#include <gtest/gtest.h>

#include "support/sim/recording_line_port.h"
#include "support/sim/virtual_event_loop.h"
#include "settings/record_store.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"
#include "x10/port_link.h"
#include "windows/port_setup_dialog.h"
#include "x10/switching_port.h"
#include "x10/transmitter.h"

using namespace zul;
using namespace zul::x10;

namespace {

class MemoryPortStore : public PortStore {
public:
    std::string load() const override { return value; }
    bool save(const std::string& port) override {
        value = port;
        ++saves;
        return true;
    }
    std::string value;
    int saves = 0;
};

struct Rig {
    sim::VirtualClock clock;
    sim::VirtualEventLoop loop{clock};
    sim::RecordingLinePort port{clock};
    test::ScriptedDialogs dialogs;
    MemoryPortStore store;
    bool stopAll = false;
    Transmitter tx{port, loop, clock, stopAll};
    int dialogShown = 0;
    PortLink link{port, store, dialogs, loop, tx, [this] { ++dialogShown; }};
};

std::vector<std::string> infos(const Rig& r) { return r.dialogs.texts(test::ScriptedDialogs::Kind::Info); }
std::vector<std::string> messages(const Rig& r) { return r.dialogs.texts(test::ScriptedDialogs::Kind::Message); }

} // namespace

TEST(PortText, NumbersPathsAndTheSimulator) {
    std::string error;
    EXPECT_EQ(checkPortText("3", error), "3");
    EXPECT_EQ(checkPortText(" 007 ", error), "7");
    EXPECT_EQ(checkPortText("/dev/serial/by-id/usb-cm17a", error), "/dev/serial/by-id/usb-cm17a");
    EXPECT_EQ(checkPortText("SIM", error), "sim");
    for (const char* bad : {"", " ", "0", "000", "-1", "com3", "3.5", "/", "12345"}) {
        error.clear();
        EXPECT_FALSE(checkPortText(bad, error)) << bad;
        EXPECT_EQ(error, x10::PortTextHint);
    }
}

TEST(OpenPort, OutcomesOfOpening) {
    Rig ok;
    ok.store.value = "3";
    EXPECT_TRUE(ok.link.openPort());
    EXPECT_TRUE(ok.port.isOpen());
    EXPECT_EQ(ok.port.portName(), "3");
    EXPECT_TRUE(ok.dialogs.shown.empty());
    EXPECT_TRUE(ok.port.rts() && ok.port.dtr());

    for (PortErrorKind kind : {PortErrorKind::PortInUse, PortErrorKind::InvalidPort}) {
        Rig busy;
        busy.store.value = "3";
        busy.port.failOpenWith(kind);
        EXPECT_FALSE(busy.link.openPort());
        EXPECT_EQ(busy.link.failureMark(), "port false");
        EXPECT_TRUE(busy.dialogs.shown.empty());
    }

    Rig other;
    other.store.value = "3";
    other.port.failOpenWith(PortErrorKind::Other, "Input/output error");
    EXPECT_TRUE(other.link.openPort());
    EXPECT_EQ(messages(other), (std::vector<std::string>{"5 Input/output error"}));
    EXPECT_EQ(other.link.failureMark(), "");
}

TEST(OpenPort, StartupRetriesOnceThenReportsAndShowsTheDialog) {
    // A busy port and the messages are checked through the whole program's start-up.
    Rig fine;
    fine.store.value = "2";
    EXPECT_EQ(fine.link.openAtStartup(), StartupPort::Opened);
    EXPECT_EQ(fine.link.openAtStartup(), StartupPort::AlreadyOpen);
    EXPECT_EQ(fine.port.openCount(), 1);

    // A blank port waits a second, then asks for one.
    Rig unset;
    unset.store.value = " ";
    EXPECT_FALSE(unset.link.openPort());
    EXPECT_GE(unset.clock.monotonicMicros(), 1000000);
    EXPECT_EQ(unset.link.openAtStartup(), StartupPort::NotSet);
    EXPECT_EQ(unset.dialogShown, 2);
    EXPECT_EQ(infos(unset).size(), 2u);
    EXPECT_FALSE(unset.port.isOpen());
}

TEST(OpenPort, PortChoiceLivesEncipheredInRecord270) {
    test::TempDir dir;
    RecordStore records;
    ASSERT_TRUE(records.open(dir / "db.zld"));
    RecordPortStore store(records);
    EXPECT_FALSE(portIsSet(store.load()));
    ASSERT_TRUE(store.save("/dev/serial/by-id/usb-cm17a"));
    EXPECT_EQ(store.load(), "/dev/serial/by-id/usb-cm17a");
    EXPECT_EQ(records.readRecord(270, true), "/dev/serial/by-id/usb-cm17a");
    EXPECT_NE(records.readRecord(270, false), "/dev/serial/by-id/usb-cm17a");
}

TEST(PortSetupLogic, OpeningSelectsTheStoredPort) {
    struct Case {
        const char* stored;
        windows::PortSetupDialogForm::Choice choice;
        const char* other;
        const char* status;
    };
    using C = windows::PortSetupDialogForm::Choice;
    for (const Case& c : {Case{"2", C::Com2, "", "Currently set to Com Port 2"},
                          Case{"7", C::Other, "7", "Currently set to Com Port 7"},
                          Case{"/dev/serial/by-id/usb-x10", C::Other, "/dev/serial/by-id/usb-x10",
                               "Currently set to Com Port /dev/serial/by-id/usb-x10 (not connected now)"},
                          Case{"sim", C::Simulator, "", "Currently set to the simulator"},
                          Case{"rubbish", C::None, "", "Com Port is not currently set"},
                          Case{" ", C::None, "", "Com port is not set!"}}) {
        Rig rig;
        rig.store.value = c.stored;
        windows::PortSetupDialogForm setup(rig.port, rig.store, rig.dialogs);
        setup.show();
        EXPECT_TRUE(setup.isShown());
        EXPECT_EQ(setup.choice(), c.choice) << c.stored;
        EXPECT_EQ(setup.otherText(), c.other) << c.stored;
        EXPECT_EQ(setup.status(), c.status) << c.stored;
    }
    // Nothing stored: the port object's current port is selected.
    Rig rig;
    rig.port.open("4");
    windows::PortSetupDialogForm setup(rig.port, rig.store, rig.dialogs);
    setup.show();
    EXPECT_EQ(setup.choice(), C::Com4);
    EXPECT_EQ(setup.status(), "Com port is not set!");

    // A port found on the machine is chosen by its by-id name and stored so.
    const std::string byId = "/dev/serial/by-id/usb-FTDI_FT232R-if00-port0";
    setup.show(
        {{"/dev/ttyS0", "/dev/ttyS0", "Built-in serial port (Com 1)", 1}, {byId, "/dev/ttyUSB0", "FTDI FT232R", 0}});
    setup.chooseFound(1);
    EXPECT_TRUE(setup.ok());
    EXPECT_EQ(rig.store.value, byId);
    setup.show({{byId, "/dev/ttyUSB1", "FTDI FT232R", 0}});
    EXPECT_EQ(setup.foundIndex(), 0) << "found again under another ttyUSB number";
}

TEST(PortSetupLogic, ApplyOkAndCancel) {
    Rig rig;
    rig.store.value = "1";
    rig.port.open("1");
    windows::PortSetupDialogForm setup(rig.port, rig.store, rig.dialogs);
    setup.show();

    setup.choose(windows::PortSetupDialogForm::Choice::Other);
    for (const char* bad : {"", "abc"}) {
        setup.setOtherText(bad);
        EXPECT_FALSE(setup.apply()) << bad;
    }
    EXPECT_EQ(messages(rig).size(), 2u);
    EXPECT_EQ(rig.store.saves, 0);
    EXPECT_EQ(rig.port.portName(), "1");
    EXPECT_EQ(rig.port.closeCount(), 0);

    setup.choose(windows::PortSetupDialogForm::Choice::Com3);
    EXPECT_TRUE(setup.apply());
    EXPECT_TRUE(setup.isShown());
    EXPECT_EQ(rig.port.closeCount(), 1);
    EXPECT_EQ(rig.port.portName(), "3");
    EXPECT_TRUE(rig.port.isOpen());
    EXPECT_EQ(rig.store.value, "3");
    EXPECT_EQ(setup.status(), "Currently set to Com Port 3");

    // A port that does not open is still stored (the user may plug it in),
    // and the status line says it is not open.
    rig.port.failOpenWith(PortErrorKind::InvalidPort, "no such device");
    setup.choose(windows::PortSetupDialogForm::Choice::Other);
    setup.setOtherText("9");
    EXPECT_TRUE(setup.ok());
    EXPECT_FALSE(setup.isShown());
    EXPECT_EQ(rig.store.value, "9");
    EXPECT_EQ(setup.status(), "Currently set to Com Port 9 (not open: no such device)");

    setup.show();
    setup.choose(windows::PortSetupDialogForm::Choice::Com2);
    const int saves = rig.store.saves;
    setup.cancel();
    EXPECT_FALSE(setup.isShown());
    EXPECT_EQ(rig.store.saves, saves);
}

TEST(SwitchingPort, EachOpenMakesTheRightPort) {
    sim::VirtualClock clock;
    std::vector<std::string> made;
    SwitchingLinePort port([&](const std::string& name) -> std::unique_ptr<LinePort> {
        made.push_back(name);
        if (name == "missing") return nullptr;
        return std::make_unique<sim::RecordingLinePort>(clock);
    });
    EXPECT_FALSE(port.open("sim"));
    auto* first = dynamic_cast<sim::RecordingLinePort*>(port.current());
    port.setDtr(false);
    EXPECT_FALSE(first->dtr());
    EXPECT_FALSE(port.open("3"));
    EXPECT_EQ(port.portName(), "3");
    EXPECT_TRUE(port.isOpen());
    EXPECT_EQ(port.open("missing").kind, PortErrorKind::InvalidPort);
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(made, (std::vector<std::string>{"sim", "3", "missing"}));
}
