#pragma once
// Language files: INI files keyed by the English text. The active translation
// is language.ini in the program folder; choosing a language copies its .lan
// file over it and asks for a restart.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/atomic_file.h"

namespace zul {

class Dialogs;
class SettingsBackend;

// A parsed INI file with private-profile rules: "[section]" lines, key=value
// lines split at the first "=", blanks around keys and values dropped, one
// pair of surrounding double quotes dropped from a value, sections and keys
// compared without regard to case (the first occurrence wins), CR LF or LF
// lines, a UTF-8 BOM ignored, no comment or list syntax.
class IniFile {
public:
    static constexpr std::size_t MaxValueLength = 2048; // bytes; longer values are cut on a character boundary
    static constexpr FileLimit Limit{1024 * 1024, "a language file holds a few thousand short lines"};

    void parse(const std::string& bytes);
    bool load(const std::filesystem::path& file); // false (and empty) when it cannot be read
    std::optional<std::string> value(const std::string& section, const std::string& key) const;

private:
    std::unordered_map<std::string, std::string> values_; // lower-cased "section\nkey"
};

// The value of key in section of file, or def when the key (or the file) is missing.
std::string readIni(const std::string& section, const std::string& key, const std::string& def,
                    const std::filesystem::path& file);

// The active translation. Lookups reread the file only when it changed.
class Language {
public:
    static constexpr const char* CaptionSection = "Labels & Captions";
    static constexpr const char* TipSection = "t-Tips";

    explicit Language(std::filesystem::path activeFile);
    // program folder / "language.ini"
    static std::filesystem::path activeFileIn(const std::filesystem::path& programFolder);
    const std::filesystem::path& file() const { return file_; }

    std::string readIni(const std::string& section, const std::string& key, const std::string& def) const;
    // The translation of text, or text itself when there is none.
    std::string langCaption(const std::string& text) const;
    // The translated tool tip (or text) with one blank before and after it.
    std::string langTip(const std::string& text) const;

private:
    const IniFile& current() const;
    std::filesystem::path file_;
    mutable IniFile cache_;
    mutable bool loaded_ = false;
    mutable bool present_ = false;
    mutable std::filesystem::file_time_type stamp_{};
    mutable std::uintmax_t size_ = 0;
};

struct LanguageMenuEntry {
    std::string caption;        // "English", or a file name up to its first "."
    std::filesystem::path file; // the .lan file the entry stands for
    bool checked = false;       // caption equals the current language
};

// The "Language" menu from the .lan files of folders (the program folder
// first, then where the program's own files are: see shippedFolders): empty
// (menu hidden) when there is no .lan file; else "English" first, then one
// entry per caption, from the earliest folder that has it.
std::vector<LanguageMenuEntry> languageMenu(const std::vector<std::filesystem::path>& folders,
                                            const std::string& currentLanguage);

enum class AfterLanguageChoice { Nothing, Restart, WaitForTimersThenRestart };

struct LanguageChoice {
    AfterLanguageChoice next = AfterLanguageChoice::Nothing;
    std::string error; // set when the language file could not be put in place
};

// Makes entry the active language (copies its file over language.ini, stores
// "Settings"/"Language") and asks whether to restart now; when a timer macro
// runs, also asks whether to wait for it first.
LanguageChoice chooseLanguage(const LanguageMenuEntry& entry, const std::filesystem::path& programFolder,
                              SettingsBackend& settings, Dialogs& dialogs, const Language& language,
                              const std::function<bool()>& timerRunning);

} // namespace zul
