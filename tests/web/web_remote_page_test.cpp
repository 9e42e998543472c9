// The "Web remote" tab's decisions: a password before the switch, the two
// boxes alike, a usable address, and only a hash stored.
#include <gtest/gtest.h>

#include "settings/setting_keys.h"
#include "settings/settings_store.h"
#include "web/web_remote_page.h"

namespace zul::test {
namespace {

struct CountingKeys : web::KeyDerivation {
    std::string pbkdf2Sha256(const std::string& p, const std::string& s, int, std::size_t n) const override {
        return (p + s + std::string(n, '.')).substr(0, n);
    }
    std::string randomBytes(std::size_t n) const override { return std::string(n, 's'); }
};

TEST(WebRemoteTab, ApplyStoresOnlyUsableSettingsAndNeverThePassword) {
    MemorySettings store;
    CountingKeys keys;
    web::WebRemotePageForm form(store, keys, "den");
    int applied = 0;
    form.applied = [&] { ++applied; };
    EXPECT_EQ(form.link(), "http://127.0.0.1:8080/");
    EXPECT_EQ(form.passwordState(), "No password is set yet.");
    struct Case {
        bool enabled;
        const char* address;
        const char* password;
        const char* repeated;
        const char* problem; // "" when stored
    };
    const Case cases[] = {
        {true, "127.0.0.1:8080", "", "", "Set a password before you switch the web remote on."},
        {true, "127.0.0.1:8080", "long enough", "long enougH", "The two passwords differ."},
        {true, "127.0.0.1:8080", "short", "short", "The password must have at least 8 characters."},
        {false, "nowhere:", "", "", "The address 'nowhere:' names no port from 1 to 65535."},
        {true, "0.0.0.0:9000", "long enough", "long enough", ""},
        {false, "0.0.0.0:9000", "", "", ""}, // the password set stays
    };
    for (const Case& c : cases) {
        form.enabled = c.enabled;
        form.address = c.address;
        form.newPassword = c.password;
        form.repeatedPassword = c.repeated;
        const auto problems = form.apply();
        EXPECT_EQ(problems.empty() ? "" : problems.front(), std::string(c.problem)) << c.address << " " << c.password;
    }
    EXPECT_EQ(applied, 2);
    EXPECT_EQ(readSetting(store, Setting::WebRemoteEnabled), "0");
    EXPECT_EQ(readSetting(store, Setting::WebRemoteAddress), "0.0.0.0:9000");
    const std::string hash = readSetting(store, Setting::WebRemotePassword);
    EXPECT_EQ(hash.rfind("pbkdf2-sha256:100000:73737373", 0), 0u) << hash;
    EXPECT_EQ(hash.find("long enough"), std::string::npos);
    EXPECT_EQ(form.passwordState(), "A password is set.");
    EXPECT_EQ(form.link(), "http://den:9000/");
    EXPECT_TRUE(form.newPassword.empty());
    EXPECT_FALSE(form.changed());
}

} // namespace
} // namespace zul::test
