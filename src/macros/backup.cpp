#include "macros/backup.h"

#include "platform/text.h"

#include <algorithm>
#include <cctype>

#include "macros/macro_file.h"
#include "platform/atomic_file.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "macros/macro_list.h"

namespace zul::macros {

namespace fs = std::filesystem;

namespace {

constexpr const char* kCrLf = "\r\n";
constexpr const char* kHiddenList = ".hidden";
constexpr int kCloseDelayMs = 2000;

constexpr FileLimit kHiddenListLimit{64 * 1024, "the list of hidden names in a folder is short"};

std::vector<std::string> hiddenNames(const fs::path& parent) {
    std::vector<std::string> names;
    const FileRead read = readDataFile(parent / kHiddenList, kHiddenListLimit);
    LineCursor lines(read.bytes);
    for (std::string_view name; lines.next(name);)
        if (!name.empty()) names.emplace_back(name);
    return names;
}

// A name from a file list: one plain file name, never a way out of its folder.
bool isPlainFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

} // namespace

bool isFolderHidden(const fs::path& folder) {
    const std::vector<std::string> names = hiddenNames(folder.parent_path());
    return std::find(names.begin(), names.end(), folder.filename().string()) != names.end();
}

bool setFolderHidden(const fs::path& folder, bool hidden) {
    const fs::path list = folder.parent_path() / kHiddenList;
    const std::string name = folder.filename().string();
    std::vector<std::string> names = hiddenNames(folder.parent_path());
    const bool was = std::find(names.begin(), names.end(), name) != names.end();
    if (was == hidden) return true;
    std::erase(names, name);
    if (hidden) names.push_back(name);
    std::error_code ec;
    if (names.empty()) return fs::remove(list, ec) || !ec;
    std::string bytes;
    for (const std::string& n : names) bytes += n + "\n";
    return !writeFileAtomically(list, bytes);
}

bool backupFolderInExpectedState(const fs::path& folder) {
    std::error_code ec;
    const fs::file_status st = fs::symlink_status(folder, ec);
    if (ec || st.type() != fs::file_type::directory) return false;
    if ((st.permissions() & fs::perms::owner_write) == fs::perms::none) return false;
    return isFolderHidden(folder);
}

MacroBackup::MacroBackup(fs::path programFolder, Dialogs& dialogs, Clock& clock, Translate translate)
    : programFolder_(std::move(programFolder)), dialogs_(dialogs), clock_(clock), translate_(std::move(translate)) {
    buttonsEnabled_ = backupExistsIn(programFolder_);
}

bool MacroBackup::backupExistsIn(const fs::path& folder) {
    std::error_code ec;
    return fs::exists(folder / kBackupFolderName / kBackupMarkerName, ec);
}

std::vector<std::string> MacroBackup::backupList() const { return macroFileNames(backupFolder()); }

bool MacroBackup::copyInto(const fs::path& fromFolder, const fs::path& toFolder, const std::string& name) {
    if (!isPlainFileName(name)) return false;
    const FileRead read = readDataFile(fromFolder / name, MacroFileLimit);
    return read.ok() && !writeFileAtomically(toFolder / name, read.bytes);
}

void MacroBackup::writeMarker() {
    const std::string stamp = generalDateTimeText(clock_.now(), clock_.uses24Hour());
    const std::string text = "\"File last updated:  " + stamp + "\"" + kCrLf + kCrLf + "\"" +
                             tr("This folder is not automatically removed when you uninstall ZUL.  To remove, "
                                "close this file and then delete the whole folder.") +
                             "\"" + kCrLf;
    writeFileAtomically(backupFolder() / kBackupMarkerName, text);
}

bool MacroBackup::prepareFolder() {
    const fs::path folder = backupFolder();
    std::error_code ec;
    if (fs::exists(folder / kBackupMarkerName, ec)) {
        if (!backupFolderInExpectedState(folder)) {
            listChanged();
            setFolderHidden(folder, true);
            dialogs_.message(tr("Access Error:  Please try again."));
            return false;
        }
        setFolderHidden(folder, false);
    }
    if (!fs::is_directory(folder, ec)) {
        fs::create_directory(folder, ec);
        if (!fs::is_directory(folder, ec)) dialogs_.message(tr("Couldn't create backup folder"), tr("Failed"));
    }
    writeMarker();
    if (fs::exists(folder / kBackupMarkerName, ec)) buttonsEnabled_ = true;
    return true;
}

std::string MacroBackup::countText(int done, int total, const char* what) const {
    return done == total ? std::to_string(done) + " " + tr(what)
                         : std::to_string(done) + " " + tr("of") + " " + std::to_string(total) + " " + tr(what);
}

std::optional<int> MacroBackup::backupAll(const std::vector<std::string>& macroNames) {
    if (!prepareFolder()) return std::nullopt;
    const int n = static_cast<int>(macroNames.size());
    if (progress.open) progress.open(10 * n, tr("Backing up macro files...") + kCrLf + kCrLf + tr("now copying .."));
    buttonsEnabled_ = backupExistsIn(programFolder_); // only a backup that is there can be restored
    std::error_code ec;
    if (!fs::is_directory(backupFolder(), ec)) {
        if (progress.finish) progress.finish(tr("Backup failed") + kCrLf + kCrLf + tr("Couldn't create backup folder"));
        return 0;
    }
    wait(0.3);
    int copied = 0;
    for (int i = 0; i < n; ++i) {
        const std::string& name = macroNames[static_cast<std::size_t>(i)];
        if (copyInto(programFolder_, backupFolder(), name)) ++copied;
        if (progress.advance) progress.advance(10 * (i + 1), name, kCloseDelayMs);
        wait(0.06);
    }
    // Files that could not be copied leave the backup incomplete, and it says so.
    if (progress.finish)
        progress.finish(tr(copied == n ? "Backup Complete" : "Backup incomplete") + kCrLf + kCrLf +
                        countText(copied, n, "file(s) copied"));
    listChanged();
    setFolderHidden(backupFolder(), true);
    return copied;
}

bool MacroBackup::backupOne(const std::optional<std::string>& selected) {
    if (!prepareFolder()) return false;
    std::error_code ec;
    if (!fs::is_directory(backupFolder(), ec)) return false; // said by prepareFolder
    bool done = false;
    if (!selected || selected->empty()) {
        dialogs_.message(tr("Please select a macro to backup"));
    } else if (copyInto(programFolder_, backupFolder(), *selected)) {
        status_ = tr("BACKED UP") + " " + *selected;
        done = true;
    } else {
        dialogs_.message(tr("Error backing up file, please try again."), tr("Backup a Macro"));
    }
    listChanged();
    setFolderHidden(backupFolder(), true);
    return done;
}

std::string MacroBackup::restoreCaption() const { return tr(restoreMode_ ? "Cancel Restore" : "Restore a Macro"); }

std::string MacroBackup::restoreHint() const {
    return restoreMode_ ? tr("Double click a macro below to restore it to the active application folder.") : "";
}

void MacroBackup::selectBackup(const std::string& name) { status_ = tr("BACKUP") + "  " + name; }

bool MacroBackup::restoreOne(const std::string& name) {
    if (!copyInto(backupFolder(), programFolder_, name)) {
        dialogs_.message(tr("Error restoring file, please try again."), tr("Restore a Macro"));
        return false;
    }
    restoreMode_ = false;
    status_ = tr("RESTORED FROM BACKUP") + "  " + name;
    if (onMacroListChanged) onMacroListChanged();
    return true;
}

std::optional<int> MacroBackup::restoreAll() {
    const std::string question = tr("This action will overwrite any current macros with the same name.") + kCrLf +
                                 tr("Do you want to continue?");
    if (dialogs_.questionDefaultNo(question, tr("Restore Backed Up Macros?")) != Answer::Yes) return std::nullopt;
    const std::vector<std::string> files = backupList();
    if (progress.open)
        progress.open(10 * static_cast<int>(files.size()),
                      tr("Restore Backup") + kCrLf + kCrLf + tr("Restoring ...") + kCrLf);
    int restored = 0;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (copyInto(backupFolder(), programFolder_, files[i])) ++restored;
        if (progress.advance) progress.advance(10 * static_cast<int>(i + 1), files[i], kCloseDelayMs);
        wait(0.06);
    }
    const int total = static_cast<int>(files.size());
    const std::string outcome = tr(restored == total ? "Restore complete" : "Restore incomplete");
    if (progress.finish)
        progress.finish(std::string(kCrLf) + kCrLf + outcome + kCrLf + countText(restored, total, "files restored"));
    status_ = outcome + ": " + countText(restored, total, "files restored");
    if (onMacroListChanged) onMacroListChanged();
    return restored;
}

bool MacroBackup::deleteFullBackup(const fs::path& activeFolder) {
    const std::string warning =
        tr("This will delete ALL macros in the backup folder!") + kCrLf + tr("Do you want to continue?");
    if (dialogs_.questionDefaultNo(warning, tr("Delete All Backups?")) != Answer::Yes) return false;
    std::string active = activeFolder.lexically_normal().string();
    while (active.size() > 1 && active.back() == '/') active.pop_back();
    if (active.ends_with(kBackupFolderName) && onLeaveBackupFolder) onLeaveBackupFolder();

    const fs::path folder = backupFolder();
    std::error_code ec;
    std::vector<fs::path> files;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (!it->is_directory(ec) || it->is_symlink(ec)) files.push_back(it->path());
    for (const fs::path& f : files) fs::remove(f, ec);
    setFolderHidden(folder, false);
    fs::remove(folder, ec);
    buttonsEnabled_ = backupExistsIn(programFolder_);
    listChanged();
    return !fs::exists(folder, ec);
}

} // namespace zul::macros
