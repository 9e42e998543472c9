#include "web/web_remote_page.h"

#include "platform/text.h"

namespace zul::web {

WebRemotePageForm::WebRemotePageForm(SettingsBackend& settings, const KeyDerivation& keys, std::string hostName)
    : settings_(settings), keys_(keys), hostName_(std::move(hostName)) {
    load();
}

void WebRemotePageForm::load() {
    stored_ = loadWebSettings(settings_);
    enabled = stored_.enabled;
    address = stored_.address;
    newPassword.clear();
    repeatedPassword.clear();
}

bool WebRemotePageForm::changed() const {
    return enabled != stored_.enabled || trimBlanks(address) != stored_.address || !newPassword.empty() ||
           !repeatedPassword.empty();
}

std::string WebRemotePageForm::passwordState() const {
    return passwordSet() ? "A password is set." : "No password is set yet.";
}

std::string WebRemotePageForm::link() const {
    std::string error;
    const auto a = parseListenAddress(address, error);
    return a ? pageLink(*a, hostName_) : "";
}

std::vector<std::string> WebRemotePageForm::apply() {
    std::vector<std::string> problems;
    std::string error;
    if (!parseListenAddress(address, error)) problems.push_back("The address " + error + ".");
    const bool newOne = !newPassword.empty() || !repeatedPassword.empty();
    if (newOne && newPassword != repeatedPassword) problems.push_back("The two passwords differ.");
    else if (newOne) {
        if (const std::string why = web::passwordProblem(newPassword); !why.empty()) problems.push_back(why);
    } else if (enabled && !passwordSet())
        problems.push_back("Set a password before you switch the web remote on.");
    if (!problems.empty()) return problems;
    WebSettings values = stored_;
    values.enabled = enabled;
    values.address = trimBlanks(address);
    if (newOne) values.passwordHash = web::hashPassword(keys_, newPassword);
    if (!web::saveWebSettings(settings_, values)) return {"The settings could not be stored."};
    load();
    if (applied) applied();
    return {};
}

} // namespace zul::web
