#include "platform/xdg_desktop.h"

#include <algorithm>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/atomic_file.h"
#include "platform/text.h"

namespace zul {

namespace {
namespace fs = std::filesystem;

constexpr const char* kMark = "X-Zulmarin-Generated=true";
constexpr const char* kDefaultSection = "Default Applications";
constexpr const char* kAddedSection = "Added Associations";

std::string env(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

fs::path homeFolder() {
    if (const std::string home = env("HOME"); !home.empty()) return home;
    const passwd* pw = ::getpwuid(::getuid());
    return pw && pw->pw_dir ? fs::path(pw->pw_dir) : fs::path("/");
}

// $variable when it holds an absolute path, else home / fallback.
fs::path xdgFolder(const char* variable, const fs::path& home, const char* fallback) {
    const fs::path value = env(variable);
    return value.is_absolute() ? value : home / fallback;
}

std::string reason(const std::error_code& ec) { return ec.message(); }

// --- desktop entry values

// Backslashes and control characters as a desktop entry's string values write them.
std::string entryString(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\\') out += "\\\\";
        else if (c == '\n') out += "\\n";
        else if (c == '\t') out += "\\t";
        else if (c == '\r') out += "\\r";
        else out += c;
    }
    return out;
}

// --- mimeapps.list lines, each with its own line end so untouched lines stay byte for byte

struct Line {
    std::string text;
    std::string end; // "\n", "\r\n", or "" for a last line without one
};

std::vector<Line> linesOf(const std::string& text) {
    std::vector<Line> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t nl = text.find('\n', start);
        if (nl == std::string::npos) {
            lines.push_back({text.substr(start), ""});
            break;
        }
        const bool cr = nl > start && text[nl - 1] == '\r';
        lines.push_back({text.substr(start, nl - start - (cr ? 1 : 0)), cr ? "\r\n" : "\n"});
        start = nl + 1;
    }
    return lines;
}

std::string textOf(const std::vector<Line>& lines) {
    std::string out;
    for (const auto& l : lines) out += l.text + l.end;
    return out;
}

bool isHeader(const std::string& text) { return trimBlanks(text).starts_with('['); }

std::string headerName(const std::string& text) {
    const std::string t = trimBlanks(text);
    const std::size_t close = t.find(']');
    return close == std::string::npos ? t.substr(1) : t.substr(1, close - 1);
}

bool isMacroLine(const std::string& text) {
    const std::size_t eq = text.find('=');
    return eq != std::string::npos && !isHeader(text) && trimBlanks(text.substr(0, eq)) == kMacroMimeType;
}

std::vector<std::string> idsOf(const std::string& line) {
    std::vector<std::string> ids;
    for (const auto& piece : splitAt(line.substr(line.find('=') + 1), ";"))
        if (const std::string id = trimBlanks(piece); !id.empty()) ids.push_back(id);
    return ids;
}

std::string macroLine(const std::vector<std::string>& ids) {
    std::string line = std::string(kMacroMimeType) + "=";
    for (const auto& id : ids) line += id + ";";
    return line;
}

// Index of the header of section name, or lines.size().
std::size_t headerIndex(const std::vector<Line>& lines, const std::string& name) {
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (isHeader(lines[i].text) && headerName(lines[i].text) == name) return i;
    return lines.size();
}

void putFirst(std::vector<Line>& lines, const std::string& section) {
    std::size_t header = headerIndex(lines, section);
    if (header == lines.size()) {
        if (!lines.empty() && lines.back().end.empty()) lines.back().end = "\n";
        lines.push_back({"[" + section + "]", "\n"});
    }
    for (std::size_t i = header + 1; i < lines.size() && !isHeader(lines[i].text); ++i) {
        if (!isMacroLine(lines[i].text)) continue;
        std::vector<std::string> ids = idsOf(lines[i].text);
        std::erase(ids, std::string(kDesktopId));
        ids.insert(ids.begin(), kDesktopId);
        lines[i].text = macroLine(ids);
        if (lines[i].end.empty()) lines[i].end = "\n";
        return;
    }
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(header + 1), Line{macroLine({kDesktopId}), "\n"});
}

bool isBlank(const std::string& text) { return trimBlanks(text).empty(); }

// Takes this program's id out of the macro lines of section; a section left
// with nothing in it goes too.
void takeOut(std::vector<Line>& lines, const std::string& section) {
    const std::size_t header = headerIndex(lines, section);
    if (header == lines.size()) return;
    bool removedLine = false;
    std::size_t i = header + 1;
    while (i < lines.size() && !isHeader(lines[i].text)) {
        if (isMacroLine(lines[i].text)) {
            std::vector<std::string> ids = idsOf(lines[i].text);
            if (std::erase(ids, std::string(kDesktopId)) > 0) {
                if (ids.empty()) {
                    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
                    removedLine = true;
                    continue;
                }
                lines[i].text = macroLine(ids);
            }
        }
        ++i;
    }
    const bool empty =
        std::all_of(lines.begin() + static_cast<std::ptrdiff_t>(header + 1),
                    lines.begin() + static_cast<std::ptrdiff_t>(i), [](const Line& l) { return isBlank(l.text); });
    if (removedLine && empty) lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(header));
}

// --- files that carry the program's mark

// Launchers, MIME packages and mimeapps.list are a few lines each.
constexpr FileLimit kDesktopFileLimit{1024 * 1024, "a desktop entry or MIME list holds a few short lines"};

bool readText(const fs::path& file, std::string& text) {
    FileRead read = readDataFile(file, kDesktopFileLimit);
    if (!read.ok()) return false;
    text = std::move(read.bytes);
    return true;
}

bool isOurs(const fs::path& file) {
    std::string text;
    if (!readText(file, text)) return false;
    if (file.extension() == ".xml")
        return text.find(std::string("type=\"") + kMacroMimeType + "\"") != std::string::npos;
    for (const auto& line : splitLines(text))
        if (line == kMark) return true;
    return false;
}

bool isThere(const fs::path& file) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(file, ec));
}

std::string notOurs(const fs::path& file) {
    return file.string() + " was not made by Zulmarin, so it is left as it is.";
}

std::string writeOurs(const fs::path& file, const std::string& text, fs::perms mode) {
    if (isThere(file) && !isOurs(file)) return notOurs(file);
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    if (!ec) ec = writeFileAtomically(file, text);
    if (!ec) fs::permissions(file, mode, ec);
    return ec ? "Cannot write " + file.string() + ": " + reason(ec) : "";
}

std::string removeOurs(const fs::path& file) {
    if (!isThere(file)) return "";
    if (!isOurs(file)) return notOurs(file);
    std::error_code ec;
    fs::remove(file, ec);
    return ec ? "Cannot remove " + file.string() + ": " + reason(ec) : "";
}

// The first error of several steps, each of which runs.
void keepFirst(std::string& first, const std::string& error) {
    if (first.empty()) first = error;
}

// What update-mime-database writes into a MIME folder beside its packages.
constexpr const char* kMimeDatabaseFiles[] = {"aliases",   "generic-icons", "globs",      "globs2",
                                              "icons",     "magic",         "mime.cache", "subclasses",
                                              "treemagic", "types",         "version",    "XMLnamespaces"};
// What update-desktop-database writes into a folder of desktop entries.
constexpr const char* kDesktopDatabaseFile = "mimeinfo.cache";

bool holdsAny(const fs::path& folder, const std::string& extension) {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (extension.empty() || it->path().extension() == extension) return true;
    return false;
}

// Removes a folder when nothing is left in it.
void removeIfEmpty(const fs::path& folder) {
    std::error_code ec;
    if (fs::is_directory(fs::symlink_status(folder, ec)) && !holdsAny(folder, "")) fs::remove(folder, ec);
}

constexpr fs::perms kEntryMode =
    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read;
// Desktops start launchers in the desktop folder only when they are executable.
constexpr fs::perms kDesktopLauncherMode =
    kEntryMode | fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;
} // namespace

XdgFolders XdgFolders::fromEnvironment() {
    const fs::path home = homeFolder();
    XdgFolders f;
    f.configHome = xdgFolder("XDG_CONFIG_HOME", home, ".config");
    f.dataHome = xdgFolder("XDG_DATA_HOME", home, ".local/share");
    std::string dirs;
    std::optional<fs::path> desktop;
    if (readText(f.configHome / "user-dirs.dirs", dirs)) desktop = desktopDirFromUserDirs(dirs, home);
    f.desktop = desktop ? *desktop : home / "Desktop";
    return f;
}

fs::path XdgFolders::launcher(Launcher where) const {
    return where == Launcher::DesktopFolder ? desktop / kDesktopId : configHome / "autostart" / kDesktopId;
}

fs::path XdgFolders::handler() const { return dataHome / "applications" / kDesktopId; }
fs::path XdgFolders::mimePackage() const { return dataHome / "mime" / "packages" / "zulmarin-macro.xml"; }
fs::path XdgFolders::mimeApps() const { return configHome / "mimeapps.list"; }

std::optional<fs::path> desktopDirFromUserDirs(const std::string& text, const fs::path& home) {
    const std::string key = "XDG_DESKTOP_DIR=";
    for (const auto& raw : splitLines(text)) {
        const std::string line = trimBlanks(raw);
        if (!line.starts_with(key)) continue;
        const std::string value = line.substr(key.size());
        if (value.size() < 2 || value.front() != '"' || value.back() != '"') continue;
        const std::string path = value.substr(1, value.size() - 2);
        if (path == "$HOME") return home;
        if (path.starts_with("$HOME/")) return home / path.substr(6);
        if (path.starts_with('/')) return fs::path(path);
    }
    return std::nullopt;
}

std::string desktopExecProgram(const std::string& program) {
    const std::string reserved = " \t\n\"'\\><~|&;$*?#()`";
    std::string quoted;
    for (const char c : program) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        quoted += c;
    }
    const bool quote = program.find_first_of(reserved) != std::string::npos;
    std::string out;
    for (const char c : entryString(quote ? "\"" + quoted + "\"" : program)) {
        if (c == '%') out += '%';
        out += c;
    }
    return out;
}

std::string desktopEntryText(const std::string& program, const std::string& icon, bool generated) {
    std::string text = "[Desktop Entry]\n"
                       "Type=Application\n"
                       "Name=Zulmarin\n"
                       "GenericName=Home Automation Controller\n"
                       "Comment=Switch X10 lamps and appliances through a CM17A transmitter\n"
                       "Exec=" +
                       desktopExecProgram(program) +
                       " %f\n"
                       "Icon=" +
                       entryString(icon) +
                       "\n"
                       "Terminal=false\n"
                       "Categories=Utility;\n"
                       "MimeType=" +
                       std::string(kMacroMimeType) + ";\n";
    if (generated) text += std::string(kMark) + "\n";
    return text;
}

std::string macroMimePackageText() {
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                       "  <mime-type type=\"") +
           kMacroMimeType +
           "\">\n"
           "    <comment>ZUL Macro</comment>\n"
           "    <sub-class-of type=\"text/plain\"/>\n"
           "    <glob pattern=\"*.cro\"/>\n"
           "  </mime-type>\n"
           "</mime-info>\n";
}

std::string withMacroHandler(const std::string& list) {
    std::vector<Line> lines = linesOf(list);
    putFirst(lines, kDefaultSection);
    putFirst(lines, kAddedSection);
    return textOf(lines);
}

std::string withoutMacroHandler(const std::string& list) {
    std::vector<Line> lines = linesOf(list);
    takeOut(lines, kDefaultSection);
    takeOut(lines, kAddedSection);
    return textOf(lines);
}

std::string defaultMacroHandler(const std::string& list) {
    const std::vector<Line> lines = linesOf(list);
    for (std::size_t i = headerIndex(lines, kDefaultSection) + 1; i < lines.size() && !isHeader(lines[i].text); ++i) {
        if (!isMacroLine(lines[i].text)) continue;
        const auto ids = idsOf(lines[i].text);
        return ids.empty() ? "" : ids.front();
    }
    return "";
}

std::string findOnPath(const std::string& name) {
    for (const auto& folder : splitAt(env("PATH"), ":")) {
        if (folder.empty()) continue;
        const fs::path candidate = fs::path(folder) / name;
        std::error_code ec;
        if (fs::is_regular_file(candidate, ec) && ::access(candidate.c_str(), X_OK) == 0) return candidate.string();
    }
    return "";
}

XdgIntegration::XdgIntegration(XdgFolders folders, fs::path program, std::string icon, RunTool runTool)
    : folders_(std::move(folders)), program_(std::move(program)), icon_(std::move(icon)), runTool_(std::move(runTool)) {
}

std::string XdgIntegration::entryText() const { return desktopEntryText(program_.string(), icon_, true); }

std::string XdgIntegration::setLauncher(Launcher where, bool present) {
    const fs::path file = folders_.launcher(where);
    if (!present) {
        const std::string error = removeOurs(file);
        if (where == Launcher::Autostart) removeIfEmpty(file.parent_path());
        return error;
    }
    return writeOurs(file, entryText(), where == Launcher::DesktopFolder ? kDesktopLauncherMode : kEntryMode);
}

bool XdgIntegration::hasLauncher(Launcher where) const { return isOurs(folders_.launcher(where)); }

std::string XdgIntegration::setMacroAssociation(bool on) {
    const std::string error = on ? associate() : dissociate();
    if (on) refreshDatabases();
    else forgetDatabases();
    return error;
}

std::string XdgIntegration::associate() {
    std::string error = writeOurs(folders_.mimePackage(), macroMimePackageText(), kEntryMode);
    keepFirst(error, writeOurs(folders_.handler(), entryText(), kEntryMode));
    std::string list;
    const fs::path apps = folders_.mimeApps();
    if (isThere(apps) && !readText(apps, list)) {
        keepFirst(error, "Cannot read " + apps.string());
        return error;
    }
    std::error_code ec;
    fs::create_directories(apps.parent_path(), ec);
    if (!ec) ec = writeFileAtomically(apps, withMacroHandler(list));
    if (ec) keepFirst(error, "Cannot write " + apps.string() + ": " + reason(ec));
    return error;
}

std::string XdgIntegration::dissociate() {
    std::string error;
    const fs::path apps = folders_.mimeApps();
    std::string list;
    if (readText(apps, list)) {
        const std::string left = withoutMacroHandler(list);
        std::error_code ec;
        if (isBlank(left)) fs::remove(apps, ec);
        else if (left != list) ec = writeFileAtomically(apps, left);
        if (ec) error = "Cannot change " + apps.string() + ": " + reason(ec);
    }
    keepFirst(error, removeOurs(folders_.handler()));
    keepFirst(error, removeOurs(folders_.mimePackage()));
    return error;
}

bool XdgIntegration::macroAssociationInPlace() const {
    std::string handler, list;
    return isOurs(folders_.mimePackage()) && readText(folders_.handler(), handler) && handler == entryText() &&
           readText(folders_.mimeApps(), list) && defaultMacroHandler(list) == kDesktopId;
}

void XdgIntegration::runTool(const char* name, const fs::path& folder) const {
    std::error_code ec;
    if (!runTool_ || !fs::is_directory(folder, ec)) return;
    if (const std::string tool = findOnPath(name); !tool.empty()) runTool_(tool, {folder.string()});
}

void XdgIntegration::refreshDatabases() const {
    runTool("update-mime-database", folders_.dataHome / "mime");
    runTool("update-desktop-database", folders_.dataHome / "applications");
}

// After the file type and the handler went: a database that now describes
// nothing but what the program had put there goes with the folders it
// leaves empty; one that still describes the user's other files is updated.
void XdgIntegration::forgetDatabases() const {
    const fs::path mime = folders_.dataHome / "mime";
    std::error_code ec;
    removeOurs(mime / (std::string(kMacroMimeType) + ".xml")); // the type's file the tool wrote
    if (holdsAny(mime / "packages", ".xml")) {
        runTool("update-mime-database", mime);
    } else {
        for (const char* name : kMimeDatabaseFiles) fs::remove(mime / name, ec);
        for (const char* folder : {"application", "packages"}) removeIfEmpty(mime / folder);
        removeIfEmpty(mime);
    }
    const fs::path apps = folders_.dataHome / "applications";
    if (holdsAny(apps, ".desktop")) {
        runTool("update-desktop-database", apps);
    } else {
        fs::remove(apps / kDesktopDatabaseFile, ec);
        removeIfEmpty(apps);
    }
}

} // namespace zul
