#include "settings/language.h"

#include <algorithm>
#include <tuple>

#include "platform/atomic_file.h"
#include "platform/dialogs.h"
#include "platform/settings_backend.h"
#include "settings/settings_store.h"

namespace zul {

namespace fs = std::filesystem;

namespace {
std::string lookupKey(const std::string& section, const std::string& key) {
    return asciiLower(trimBlanks(section)) + "\n" + asciiLower(trimBlanks(key));
}

std::string cleanValue(const std::string& raw) {
    std::string v = trimBlanks(raw);
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
    if (v.size() > IniFile::MaxValueLength) {
        std::size_t cut = IniFile::MaxValueLength;
        while (cut > 0 && (static_cast<unsigned char>(v[cut]) & 0xC0) == 0x80) --cut;
        v.resize(cut);
    }
    return v;
}
} // namespace

void IniFile::parse(const std::string& bytes) {
    values_.clear();
    std::string section;
    bool inSection = false;
    const std::string text = textFromFile(bytes);
    LineCursor lines(text);
    for (std::string_view view; lines.next(view);) {
        const std::string line(view);
        const std::string t = trimBlanks(line);
        if (!t.empty() && t.front() == '[') {
            const auto close = t.find(']');
            inSection = close != std::string::npos;
            if (inSection) section = t.substr(1, close - 1);
            continue;
        }
        const auto eq = line.find('=');
        if (!inSection || eq == std::string::npos) continue;
        values_.try_emplace(lookupKey(section, line.substr(0, eq)), cleanValue(line.substr(eq + 1)));
    }
}

bool IniFile::load(const fs::path& file) {
    const FileRead read = readDataFile(file, Limit);
    parse(read.bytes);
    return read.ok();
}

std::optional<std::string> IniFile::value(const std::string& section, const std::string& key) const {
    const auto it = values_.find(lookupKey(section, key));
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

std::string readIni(const std::string& section, const std::string& key, const std::string& def, const fs::path& file) {
    IniFile ini;
    ini.load(file);
    return ini.value(section, key).value_or(def);
}

Language::Language(fs::path activeFile) : file_(std::move(activeFile)) {}

fs::path Language::activeFileIn(const fs::path& programFolder) { return programFolder / "language.ini"; }

const IniFile& Language::current() const {
    std::error_code ec;
    const auto stamp = fs::last_write_time(file_, ec);
    const std::uintmax_t size = ec ? 0 : fs::file_size(file_, ec);
    const bool present = !ec;
    if (!loaded_ || present != present_ || stamp != stamp_ || size != size_) {
        if (!present || !cache_.load(file_)) cache_.parse("");
        loaded_ = true;
        present_ = present;
        stamp_ = stamp;
        size_ = size;
    }
    return cache_;
}

std::string Language::readIni(const std::string& section, const std::string& key, const std::string& def) const {
    return current().value(section, key).value_or(def);
}

std::string Language::langCaption(const std::string& text) const {
    const std::string v = readIni(CaptionSection, text, "");
    return v.empty() ? text : v;
}

std::string Language::langTip(const std::string& text) const {
    const std::string v = readIni(TipSection, text, "");
    return " " + (v.empty() ? text : v) + " ";
}

std::vector<LanguageMenuEntry> languageMenu(const std::vector<fs::path>& folders, const std::string& currentLanguage) {
    struct Found {
        LanguageMenuEntry entry;
        std::size_t folder; // a caption in an earlier folder wins
    };
    std::vector<Found> others;
    for (std::size_t f = 0; f < folders.size(); ++f) {
        std::error_code ec;
        for (fs::directory_iterator it(folders[f], ec), end; !ec && it != end; it.increment(ec)) {
            const fs::path& p = it->path();
            if (!equalsNoCase(p.extension().string(), ".lan") || !it->is_regular_file(ec)) continue;
            const std::string name = p.filename().string();
            others.push_back({{name.substr(0, name.find('.')), p, false}, f});
        }
    }
    if (others.empty()) return {};
    std::sort(others.begin(), others.end(), [](const Found& a, const Found& b) {
        return std::tuple(asciiLower(a.entry.caption), a.folder, a.entry.file) <
               std::tuple(asciiLower(b.entry.caption), b.folder, b.entry.file);
    });
    std::vector<LanguageMenuEntry> menu{{"English", folders.front() / "English.lan", false}};
    for (Found& e : others) {
        // One entry per caption: the first file (by folder, then name) of a caption serves it.
        const bool taken = std::any_of(menu.begin(), menu.end(),
                                       [&](const auto& m) { return equalsNoCase(m.caption, e.entry.caption); });
        if (!taken && !e.entry.caption.empty()) menu.push_back(std::move(e.entry));
    }
    for (auto& e : menu) e.checked = equalsNoCase(e.caption, currentLanguage);
    return menu;
}

namespace {
// Puts the language's file in place as language.ini; English without a file
// means no translation at all.
std::string installLanguageFile(const LanguageMenuEntry& entry, const fs::path& programFolder) {
    const fs::path active = Language::activeFileIn(programFolder);
    fs::path source = programFolder / (entry.caption + ".lan");
    std::error_code ec;
    if (!fs::exists(source, ec)) source = entry.file;
    if (!source.empty() && fs::exists(source, ec)) {
        const FileRead read = readDataFile(source, IniFile::Limit);
        if (!read.ok()) return "Could not read " + source.string() + ": " + read.problem;
        if (const auto err = writeFileAtomically(active, read.bytes))
            return "Could not write " + active.string() + ": " + err.message();
        return "";
    }
    if (equalsNoCase(entry.caption, "English")) fs::remove(active, ec);
    return "";
}
} // namespace

LanguageChoice chooseLanguage(const LanguageMenuEntry& entry, const fs::path& programFolder, SettingsBackend& settings,
                              Dialogs& dialogs, const Language& language, const std::function<bool()>& timerRunning) {
    LanguageChoice result;
    result.error = installLanguageFile(entry, programFolder);
    if (!result.error.empty()) return result;
    writeSetting(settings, Setting::Language, entry.caption);
    const auto& tr = language;
    const Answer restart =
        dialogs.question(tr.langCaption("You must restart Zulmarin for these changes to fully take place.") + "\n" +
                             tr.langCaption("Would you like to restart ZUL now?"),
                         tr.langCaption("Restart Now ?"), false);
    if (restart != Answer::Yes) return result;
    result.next = AfterLanguageChoice::Restart;
    if (timerRunning && timerRunning()) {
        const Answer wait =
            dialogs.question(tr.langCaption("It appears that a timer is running!") + "\n" +
                                 tr.langCaption("Would you like to wait for the timer to finish before restarting?"),
                             "Zulmarin", false);
        if (wait == Answer::Yes) result.next = AfterLanguageChoice::WaitForTimersThenRestart;
    }
    return result;
}

} // namespace zul
