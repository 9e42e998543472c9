#pragma once
// Message boxes of a program without windows: every message becomes one
// line of its output; nobody is there to answer, so questions are answered
// "No" and input boxes and file choosers are cancelled.
#include <functional>
#include <string>

#include "platform/dialogs.h"

namespace zul::app {

class LineDialogs : public Dialogs {
public:
    explicit LineDialogs(std::function<void(const std::string&)> line) : line_(std::move(line)) {}

    void info(const InfoBox& box) override { say(box.message); }
    void message(const std::string& text, const std::string&) override { say(text); }
    Answer question(const std::string& text, const std::string&, bool) override {
        say(text + " (answered No: nobody is there to ask)");
        return Answer::No;
    }
    std::optional<std::string> input(const std::string&, const std::string&, const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> openFile(const std::string&, const std::string&,
                                        const std::vector<FileFilter>&) override {
        return std::nullopt;
    }
    std::optional<std::string> saveFile(const std::string&, const std::string&,
                                        const std::vector<FileFilter>&) override {
        return std::nullopt;
    }

    // The text's lines joined by blanks, without blank lines.
    static std::string oneLine(const std::string& text);

private:
    void say(const std::string& text) {
        if (line_) line_(oneLine(text));
    }
    std::function<void(const std::string&)> line_;
};

} // namespace zul::app
