#pragma once
#include <map>
#include <memory>
#include <string>

#include "platform/sound_player.h"

class QSoundEffect;

namespace zul::qt {

// Plays WAV files with QSoundEffect. Different sounds mix; the same sound
// started again while it plays starts over. With no audio output on the
// machine every call is silent.
class QtSoundPlayer : public SoundPlayer {
public:
    QtSoundPlayer();
    ~QtSoundPlayer() override;
    void play(const std::string& path) override;
    static bool hasAudioOutput();

private:
    std::map<std::string, std::unique_ptr<QSoundEffect>> effects_;
};

} // namespace zul::qt
