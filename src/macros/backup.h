#pragma once
// Backups of the macro files: the "backup" subfolder of the program folder,
// with a "readme.txt" marker that says when it was last updated.
//
// Between operations the backup folder is hidden. On Linux a folder counts as
// hidden when its name is listed in the ".hidden" file of its parent folder
// (the file managers' convention; the folder keeps its name "backup"), so
// hiding and showing it adds or removes that line. A backup folder is in its
// expected state when it is a real directory (not a symbolic link), hidden,
// and writable by us; any other state with a "readme.txt" inside is reported
// as "Access Error:  Please try again." and nothing is copied.
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zul {
class Clock;
class Dialogs;
} // namespace zul

namespace zul::macros {

inline constexpr const char* kBackupFolderName = "backup";
inline constexpr const char* kBackupMarkerName = "readme.txt";

// The ".hidden" mapping of the hidden attribute.
bool isFolderHidden(const std::filesystem::path& folder);
bool setFolderHidden(const std::filesystem::path& folder, bool hidden);
// Directory, not a link, hidden and writable.
bool backupFolderInExpectedState(const std::filesystem::path& folder);

// The progress window's side of the copy loops.
struct BackupProgress {
    std::function<void(int maximum, const std::string& message)> open;
    std::function<void(int value, const std::string& fileName, int closeDelayMs)> advance;
    // The final message; the bar goes to its maximum and the window closes by itself.
    std::function<void(const std::string& message)> finish;
};

class MacroBackup {
public:
    using Translate = std::function<std::string(const std::string&)>;

    MacroBackup(std::filesystem::path programFolder, Dialogs& dialogs, Clock& clock, Translate translate = {});

    std::filesystem::path backupFolder() const { return programFolder_ / kBackupFolderName; }
    // True when folder / "backup" / "readme.txt" exists.
    static bool backupExistsIn(const std::filesystem::path& folder);

    // "Restore a Macro", "Restore All Macros" and "Delete Full Backup" available.
    bool restoreButtonsEnabled() const { return buttonsEnabled_; }
    // Set from the active folder when the window opens.
    void refreshButtons(const std::filesystem::path& activeFolder) { buttonsEnabled_ = backupExistsIn(activeFolder); }
    // The status label: the last action on a single file.
    const std::string& status() const { return status_; }
    // The "*.cro" files of the backup folder, sorted by name.
    std::vector<std::string> backupList() const;

    // The first steps of both backup buttons. False after "Access Error".
    bool prepareFolder();
    // "Backup All Macros": copies the named macros (list order) from the
    // program folder; returns the number copied, or nothing when blocked. The
    // progress window ends with "Backup failed" when the folder could not be
    // made, "Backup incomplete" when a file could not be copied.
    std::optional<int> backupAll(const std::vector<std::string>& macroNames);
    // "Backup a Macro" with the macro list's selection (nothing selected: a message).
    bool backupOne(const std::optional<std::string>& selected);

    // "Restore a Macro" / "Cancel Restore": shows or hides the backup list.
    void toggleRestore() { restoreMode_ = !restoreMode_; }
    bool restoreMode() const { return restoreMode_; }
    std::string restoreCaption() const;
    std::string restoreHint() const;
    // A click on a backup file.
    void selectBackup(const std::string& name);
    // A double click: copies it back over the program folder's file, no question asked.
    bool restoreOne(const std::string& name);
    // "Restore All Macros" after one Yes/No question; the number restored, or nothing when declined.
    std::optional<int> restoreAll();
    // "Delete Full Backup" after one Yes/No warning. activeFolder is the
    // editor's folder: when it is the backup folder, onLeaveBackupFolder runs first.
    bool deleteFullBackup(const std::filesystem::path& activeFolder);

    BackupProgress progress;
    std::function<void(double seconds)> pause; // waits that let events run (none by default)
    std::function<void()> onBackupListChanged; // point the backup list at the folder and refresh it
    std::function<void()> onMacroListChanged;  // files in the program folder were replaced
    std::function<void()> onLeaveBackupFolder; // the editor goes back to the program folder

private:
    std::string tr(const std::string& text) const { return translate_ ? translate_(text) : text; }
    bool copyInto(const std::filesystem::path& from, const std::filesystem::path& toFolder, const std::string& name);
    void writeMarker();
    // "5 file(s) copied", or "3 of 5 file(s) copied" when some failed.
    std::string countText(int done, int total, const char* what) const;
    void wait(double seconds) {
        if (pause) pause(seconds);
    }
    void listChanged() {
        if (onBackupListChanged) onBackupListChanged();
    }

    std::filesystem::path programFolder_;
    Dialogs& dialogs_;
    Clock& clock_;
    Translate translate_;
    std::string status_;
    bool buttonsEnabled_ = false;
    bool restoreMode_ = false;
};

} // namespace zul::macros
