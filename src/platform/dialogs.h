#pragma once
// Message boxes, the information window, input boxes and file choosers.
#include <optional>
#include <string>
#include <vector>

namespace zul {

enum class Answer { Yes = 1, No = 2, Cancel = 3 };

struct InfoBox {
    std::string message;
    std::string title = "Zulmarin";
    std::string button = "OK";
    bool onTop = true;
    bool wait = false; // wait for the button before returning
};

struct FileFilter {
    std::string description;           // "Macro Files (*.cro)"
    std::vector<std::string> patterns; // {"*.cro"}
};

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // The one-button information window.
    virtual void info(const InfoBox& box) = 0;
    // A plain message box with an OK button.
    virtual void message(const std::string& text, const std::string& title = "Zulmarin") = 0;
    // Yes/No (withCancel false) or Yes/No/Cancel; waits for the answer. Enter answers Yes.
    virtual Answer question(const std::string& text, const std::string& title, bool withCancel) = 0;
    // A Yes/No question before something that cannot be undone (a deletion,
    // an overwrite): Enter answers No.
    virtual Answer questionDefaultNo(const std::string& text, const std::string& title) {
        return question(text, title, false);
    }
    // nullopt when the user cancels.
    virtual std::optional<std::string> input(const std::string& prompt, const std::string& title,
                                             const std::string& initial) = 0;
    virtual std::optional<std::string> openFile(const std::string& title, const std::string& folder,
                                                const std::vector<FileFilter>& filters) = 0;
    virtual std::optional<std::string> saveFile(const std::string& title, const std::string& initialPath,
                                                const std::vector<FileFilter>& filters) = 0;
};

} // namespace zul
