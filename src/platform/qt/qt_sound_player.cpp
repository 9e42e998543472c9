#include "platform/qt/qt_sound_player.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

namespace zul::qt {

namespace {
// Files kept loaded at most; the program itself uses five.
constexpr std::size_t kMaxLoaded = 16;
} // namespace

QtSoundPlayer::QtSoundPlayer() = default;
QtSoundPlayer::~QtSoundPlayer() = default;

bool QtSoundPlayer::hasAudioOutput() { return !QMediaDevices::audioOutputs().isEmpty(); }

void QtSoundPlayer::play(const std::string& path) {
    if (!hasAudioOutput()) return;
    auto it = effects_.find(path);
    if (it == effects_.end()) {
        if (effects_.size() >= kMaxLoaded) effects_.clear();
        auto effect = std::make_unique<QSoundEffect>(QMediaDevices::defaultAudioOutput());
        effect->setSource(QUrl::fromLocalFile(QString::fromStdString(path)));
        it = effects_.emplace(path, std::move(effect)).first;
    }
    // A file that changed on disk is picked up by loading it again.
    QSoundEffect& effect = *it->second;
    if (effect.status() == QSoundEffect::Error) {
        effect.setSource(QUrl());
        effect.setSource(QUrl::fromLocalFile(QString::fromStdString(path)));
    }
    effect.stop();
    effect.play();
}

} // namespace zul::qt
