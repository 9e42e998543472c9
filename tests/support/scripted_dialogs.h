#pragma once
// A Dialogs fake for tests: records every box shown (kind, title, text) and
// answers questions, input boxes and file choosers from queues the test fills.
// An empty queue answers "No" to a question and "cancelled" to the others.
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/dialogs.h"

namespace zul::test {

class ScriptedDialogs : public Dialogs {
public:
    enum class Kind { Info, Message, Question, Input, OpenFile, SaveFile };
    struct Shown {
        Kind kind;
        std::string title;
        std::string text;         // message, question, prompt; the folder or path for file choosers
        bool withCancel = false;  // a question with a Cancel button
        bool noByDefault = false; // a question whose Enter answers No
    };

    // Queued answers, used first in, first out.
    std::deque<Answer> answers;
    std::deque<std::optional<std::string>> inputs;
    std::deque<std::optional<std::string>> files; // for openFile and saveFile alike

    std::vector<Shown> shown;

    void info(const InfoBox& box) override;
    void message(const std::string& text, const std::string& title) override;
    Answer question(const std::string& text, const std::string& title, bool withCancel) override;
    Answer questionDefaultNo(const std::string& text, const std::string& title) override;
    std::optional<std::string> input(const std::string& prompt, const std::string& title,
                                     const std::string& initial) override;
    std::optional<std::string> openFile(const std::string& title, const std::string& folder,
                                        const std::vector<FileFilter>& filters) override;
    std::optional<std::string> saveFile(const std::string& title, const std::string& initialPath,
                                        const std::vector<FileFilter>& filters) override;

    // The texts of all boxes of one kind, in order.
    std::vector<std::string> texts(Kind kind) const;
    // How many boxes of one kind were shown.
    std::size_t count(Kind kind) const;
    // The last box shown (the test fails on an empty record, so check count first).
    const Shown& last() const { return shown.back(); }
};

} // namespace zul::test
