#include "platform/frame_priority.h"

namespace zul {

FramePriority::FramePriority(ThreadPriority& system, std::function<void(std::error_code)> onRefused)
    : system_(system), onRefused_(std::move(onRefused)) {}

void FramePriority::beginFrame() {
    if (refused_ || raised_) return;
    const std::error_code refusal = system_.raise();
    if (!refusal) {
        raised_ = true;
        return;
    }
    refused_ = true;
    if (onRefused_) onRefused_(refusal);
}

void FramePriority::endFrame() {
    if (!raised_) return;
    raised_ = false;
    system_.restore();
}

} // namespace zul
