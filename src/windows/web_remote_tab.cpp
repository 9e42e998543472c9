#include "windows/web_remote_tab.h"

#include "platform/text.h"

namespace zul::windows {

WebRemoteTabForm::WebRemoteTabForm(SettingsBackend& settings, const web::KeyDerivation& keys, std::string hostName)
    : settings_(settings), keys_(keys), hostName_(std::move(hostName)) {
    load();
}

void WebRemoteTabForm::load() {
    stored_ = web::loadWebSettings(settings_);
    enabled = stored_.enabled;
    address = stored_.address;
    newPassword.clear();
    repeatedPassword.clear();
}

bool WebRemoteTabForm::changed() const {
    return enabled != stored_.enabled || trimBlanks(address) != stored_.address || !newPassword.empty() ||
           !repeatedPassword.empty();
}

std::string WebRemoteTabForm::passwordState() const {
    return passwordSet() ? "A password is set." : "No password is set yet.";
}

std::string WebRemoteTabForm::link() const {
    std::string error;
    const auto a = web::parseListenAddress(address, error);
    return a ? web::pageLink(*a, hostName_) : "";
}

std::vector<std::string> WebRemoteTabForm::apply() {
    std::vector<std::string> problems;
    std::string error;
    if (!web::parseListenAddress(address, error)) problems.push_back("The address " + error + ".");
    const bool newOne = !newPassword.empty() || !repeatedPassword.empty();
    if (newOne && newPassword != repeatedPassword) problems.push_back("The two passwords differ.");
    else if (newOne) {
        if (const std::string why = web::passwordProblem(newPassword); !why.empty()) problems.push_back(why);
    } else if (enabled && !passwordSet())
        problems.push_back("Set a password before you switch the web remote on.");
    if (!problems.empty()) return problems;
    web::WebSettings values = stored_;
    values.enabled = enabled;
    values.address = trimBlanks(address);
    if (newOne) values.passwordHash = web::hashPassword(keys_, newPassword);
    if (!web::saveWebSettings(settings_, values)) return {"The settings could not be stored."};
    load();
    if (applied) applied();
    return {};
}

} // namespace zul::windows
