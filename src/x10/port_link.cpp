#include "x10/port_link.h"

#include "platform/text.h"

#include <algorithm>
#include <cctype>

#include "settings/record_store.h"
#include "x10/transmitter.h"

namespace zul::x10 {

namespace {
std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool allDigits(const std::string& t) {
    return !t.empty() && std::all_of(t.begin(), t.end(), [](unsigned char c) { return std::isdigit(c); });
}

} // namespace

bool portIsSet(const std::string& stored) { return !trimmed(stored).empty(); }

std::optional<std::string> checkPortText(const std::string& text, std::string& error) {
    const std::string t = trimmed(text);
    if (equalsNoCase(t, SimulatorPortText)) return std::string(SimulatorPortText);
    if (!t.empty() && t.front() == '/' && t.size() > 1) return t;
    if (allDigits(t)) {
        const std::string digits = t.substr(std::min(t.find_first_not_of('0'), t.size()));
        if (!digits.empty() && digits.size() <= 4) return digits;
    }
    error = PortTextHint;
    return std::nullopt;
}

std::string RecordPortStore::load() const { return records_.readRecord(RecordNumber::Port, true); }

bool RecordPortStore::save(const std::string& port) { return records_.writeRecord(RecordNumber::Port, port, true).ok; }

PortLink::PortLink(LinePort& port, PortStore& store, Dialogs& dialogs, EventLoop& loop, Transmitter& transmitter,
                   std::function<void()> showPortDialog)
    : port_(port), store_(store), dialogs_(dialogs), loop_(loop), transmitter_(transmitter),
      showPortDialog_(std::move(showPortDialog)) {}

bool PortLink::openPort() {
    lastOpenReportedError_ = false;
    const std::string stored = store_.load();
    if (!portIsSet(stored)) {
        loop_.processEvents();
        transmitter_.pause(1.0);
        dialogs_.info(InfoBox{PortNotSetMessage});
        if (showPortDialog_) showPortDialog_();
        return false;
    }
    if (port_.isOpen()) port_.close();
    const PortError error = port_.open(trimmed(stored));
    if (error.kind == PortErrorKind::PortInUse || error.kind == PortErrorKind::InvalidPort) {
        failureMark_ = PortFalseMark;
        return false;
    }
    if (error) {
        dialogs_.message(std::to_string(error.number) + " " + error.description);
        lastOpenReportedError_ = true;
    }
    return true;
}

StartupPort PortLink::openAtStartup() {
    if (port_.isOpen()) return StartupPort::AlreadyOpen;
    bool opened = openPort();
    if (failureMark_ == PortFalseMark) {
        opened = openPort();
        // The mark has done its job once read, whether the retry worked or not.
        failureMark_.clear();
        if (!opened) {
            dialogs_.info(InfoBox{PortUnavailableMessage});
            if (showPortDialog_) showPortDialog_();
            return StartupPort::Unavailable;
        }
    }
    if (!opened) return StartupPort::NotSet;
    return lastOpenReportedError_ ? StartupPort::OpenedWithError : StartupPort::Opened;
}

} // namespace zul::x10
