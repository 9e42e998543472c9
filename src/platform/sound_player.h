#pragma once
#include <string>

namespace zul {

// Plays a WAV file without waiting for it to finish.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    virtual void play(const std::string& path) = 0;
};

} // namespace zul
