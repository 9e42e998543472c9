#pragma once
// Desktop and sound player stand-ins that record what they were asked to do.
#include <string>
#include <utility>
#include <vector>

#include "platform/desktop.h"
#include "platform/sound_player.h"

namespace zul::test {

struct RecordingDesktop : Desktop {
    std::vector<std::string> opened;
    std::vector<std::pair<std::string, std::vector<std::string>>> started;
    bool open(const std::string& p) override {
        opened.push_back(p);
        return true;
    }
    bool startProgram(const std::string& p, const std::vector<std::string>& args) override {
        started.emplace_back(p, args);
        return true;
    }
};

struct RecordingSound : SoundPlayer {
    std::vector<std::string> played;
    void play(const std::string& p) override { played.push_back(p); }
};

} // namespace zul::test
