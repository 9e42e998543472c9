#include "support/scripted_dialogs.h"

namespace zul::test {

namespace {
template <class T>
T take(std::deque<T>& queue, T fallback) {
    if (queue.empty()) return fallback;
    T value = std::move(queue.front());
    queue.pop_front();
    return value;
}
} // namespace

void ScriptedDialogs::info(const InfoBox& box) { shown.push_back({Kind::Info, box.title, box.message}); }

void ScriptedDialogs::message(const std::string& text, const std::string& title) {
    shown.push_back({Kind::Message, title, text});
}

Answer ScriptedDialogs::question(const std::string& text, const std::string& title, bool withCancel) {
    shown.push_back({Kind::Question, title, text, withCancel});
    return take(answers, Answer::No);
}

Answer ScriptedDialogs::questionDefaultNo(const std::string& text, const std::string& title) {
    shown.push_back({Kind::Question, title, text, false, true});
    return take(answers, Answer::No);
}

std::optional<std::string> ScriptedDialogs::input(const std::string& prompt, const std::string& title,
                                                  const std::string&) {
    shown.push_back({Kind::Input, title, prompt});
    return take(inputs, std::optional<std::string>{});
}

std::optional<std::string> ScriptedDialogs::openFile(const std::string& title, const std::string& folder,
                                                     const std::vector<FileFilter>&) {
    shown.push_back({Kind::OpenFile, title, folder});
    return take(files, std::optional<std::string>{});
}

std::optional<std::string> ScriptedDialogs::saveFile(const std::string& title, const std::string& initialPath,
                                                     const std::vector<FileFilter>&) {
    shown.push_back({Kind::SaveFile, title, initialPath});
    return take(files, std::optional<std::string>{});
}

std::vector<std::string> ScriptedDialogs::texts(Kind kind) const {
    std::vector<std::string> out;
    for (const auto& s : shown)
        if (s.kind == kind) out.push_back(s.text);
    return out;
}

std::size_t ScriptedDialogs::count(Kind kind) const { return texts(kind).size(); }

} // namespace zul::test
