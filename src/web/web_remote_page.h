#pragma once
// The "Web remote" tab of the preferences without its widgets: the switch,
// the address, a new password typed twice, the link to open, and Apply,
// which stores the settings only when they can be used (the remote never
// runs without a password) and keeps only the password's salted hash.
#include <functional>
#include <string>
#include <vector>

#include "web/password.h"
#include "web/web_settings.h"

namespace zul::web {

class WebRemotePageForm {
public:
    // hostName: shown in the link when the remote listens on every address.
    WebRemotePageForm(SettingsBackend& settings, const KeyDerivation& keys, std::string hostName);

    bool enabled = false;
    std::string address;
    // Left empty, the stored password stays.
    std::string newPassword, repeatedPassword;

    // The stored settings into the fields (the password boxes emptied).
    void load();
    // What the fields differ in from the stored settings.
    bool changed() const;
    bool passwordSet() const { return !stored_.passwordHash.empty(); }
    // "A password is set." or "No password is set yet."
    std::string passwordState() const;
    // The page's address for the address field ("" while it is unusable).
    std::string link() const;
    // Stores the fields and tells applied; when they cannot be used, stores
    // nothing and returns what is wrong.
    std::vector<std::string> apply();
    std::function<void()> applied;

private:
    SettingsBackend& settings_;
    const KeyDerivation& keys_;
    std::string hostName_;
    WebSettings stored_;
};

} // namespace zul::web
