#pragma once
// Desktop and sound player stand-ins that record what they were asked to do.
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/desktop.h"
#include "platform/sound_player.h"

namespace zul::test {

struct RecordingDesktop : Desktop {
    std::vector<std::string> opened;
    std::vector<std::pair<std::string, std::vector<std::string>>> started;
    bool noProgram = false; // no program opens what is asked
    bool open(const std::string& p) override {
        opened.push_back(p);
        return !noProgram;
    }
    bool startProgram(const std::string& p, const std::vector<std::string>& args) override {
        started.emplace_back(p, args);
        return true;
    }

    // Launchers and the macro association held in memory; failWith makes every change fail.
    std::set<Launcher> launchers;
    bool associated = false;
    int associations = 0; // how often the association was written
    std::string failWith;
    std::string setLauncher(Launcher where, bool present) override {
        if (!failWith.empty()) return failWith;
        if (present) launchers.insert(where);
        else launchers.erase(where);
        return "";
    }
    bool hasLauncher(Launcher where) const override { return launchers.count(where) > 0; }
    std::string setMacroAssociation(bool on) override {
        if (!failWith.empty()) return failWith;
        associated = on;
        associations += on;
        return "";
    }
    bool macroAssociationInPlace() const override { return associated; }
};

struct RecordingSound : SoundPlayer {
    std::vector<std::string> played;
    void play(const std::string& p) override { played.push_back(p); }
};

} // namespace zul::test
