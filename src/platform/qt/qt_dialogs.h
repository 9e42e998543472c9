#pragma once
#include "platform/dialogs.h"

namespace zul::qt {

// Message boxes, input boxes and file choosers on Qt Widgets. Boxes open over
// the active window of the program.
class QtDialogs : public Dialogs {
public:
    void info(const InfoBox& box) override;
    void message(const std::string& text, const std::string& title = "Zulmarin") override;
    Answer question(const std::string& text, const std::string& title, bool withCancel) override;
    Answer questionDefaultNo(const std::string& text, const std::string& title) override;
    std::optional<std::string> input(const std::string& prompt, const std::string& title,
                                     const std::string& initial) override;
    std::optional<std::string> openFile(const std::string& title, const std::string& folder,
                                        const std::vector<FileFilter>& filters) override;
    std::optional<std::string> saveFile(const std::string& title, const std::string& initialPath,
                                        const std::vector<FileFilter>& filters) override;
};

} // namespace zul::qt
