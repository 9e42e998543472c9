// The web remote end to end: zulmarin (the service, or the desktop program
// offscreen) on a pseudo-terminal with the modem shim, its password set by
// 'zulmarin remote password', and curl as the browser or the script.
#include <gtest/gtest.h>

#include "platform/text.h"
#include "process.h"

namespace zul::test {
namespace {

constexpr const char* Password = "porch lights";

struct Reply {
    int status = 0;
    std::string body;
};

// zulmarin on a pty with a macro Evening.cro (A5 ON), and curl with a cookie jar.
class Remote : public PtyProgram {
public:
    Remote() : port_(freePort()) { writeFile(dir() / "home" / "Evening.cro", "\"01100000010000000000\"\r\n"); }
    // The password through the command, as a user sets it; its exit code.
    int setPassword(const std::string& password) {
        return std::system(("printf '%s\\n' '" + password + "' | " + env() + ZUL_BINARY_DIR "/zulmarin remote password >" +
                            (dir() / "password.out").string() + " 2>&1")
                               .c_str()) /
               256;
    }
    bool serving() const {
        return waitUntil([&] { return said("The web remote is at"); });
    }
    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }
    std::string url() const { return "http://" + address(); }
    // One request through curl; extra: more curl arguments.
    Reply request(const std::string& method, const std::string& path, const std::string& body = "",
                  const std::string& extra = "-H 'Content-Type: application/json'") const {
        writeFile(dir() / "body", body);
        const std::string out = shellOutput("curl -s -m 5 -o " + (dir() / "reply").string() + " -w '%{http_code}' -X " +
                                            method + " -b " + jar() + " -c " + jar() + " " + extra +
                                            (body.empty() ? "" : " --data-binary @" + (dir() / "body").string()) + " '" +
                                            url() + path + "'");
        return {static_cast<int>(wholeNumberIn(out).value_or(0)), readFile(dir() / "reply")};
    }
    Reply logIn(const std::string& password = Password) const {
        return request("POST", "/api/login", "{\"password\":\"" + password + "\"}");
    }
    std::size_t frames() const { return decoded().size(); }
    int port() const { return port_; }

private:
    std::string env() const {
        return "ZULMARIN_CONFIG_DIR=" + (dir() / "config").string() + " ZULMARIN_HOME=" + (dir() / "home").string() + " ";
    }
    std::string jar() const { return (dir() / "cookies").string(); }
    int port_;
};

TEST(WebRemoteEndToEnd, NoPasswordNoRemoteAndEveryCommandGivesItsFrameAndState) {
    Remote remote;
    // Without a password --http refuses to start, saying how to set one.
    const auto refused = runZulmarin(remote.dir(), {"service", "--port", "sim", "--http", remote.address()});
    EXPECT_EQ(refused.rc, 1);
    EXPECT_NE(refused.err.find("the web remote cannot start: no password is set; set one with 'zulmarin remote "
                               "password'"),
              std::string::npos)
        << refused.err;
    EXPECT_EQ(remote.setPassword("short"), 2);
    ASSERT_EQ(remote.setPassword(Password), 0);
    EXPECT_EQ(readFile(remote.dir() / "config" / "settings.ini").find(Password), std::string::npos);

    remote.start({"service", "--http", remote.address()});
    ASSERT_TRUE(remote.serving()) << remote.errors();
    EXPECT_EQ(remote.request("GET", "/api/state").status, 401);
    ASSERT_EQ(remote.logIn().status, 200);

    struct Case {
        const char* path;
        const char* body;
        const char* frame; // the frame it gives
    };
    const Case cases[] = {{"/api/unit/A3", R"({"command":"ON"})", "A3 ON"},
                          {"/api/unit/a3", R"({"command":"DIM"})", "A DIM"},
                          {"/api/unit/A3", R"({"command":"OFF"})", "A3 OFF"},
                          {"/api/group/1", R"({"command":"ON"})", "A1 ON"},
                          {"/api/macro", R"({"name":"Evening"})", "A5 ON"},
                          {"/api/panic", "", "A1 OFF"}};
    for (const Case& c : cases) {
        const std::size_t before = remote.count(c.frame);
        const Reply r = remote.request("POST", c.path, c.body);
        EXPECT_EQ(r.status, 200) << c.path << ": " << r.body;
        EXPECT_TRUE(waitUntil([&] { return remote.count(c.frame) > before; }, 5000)) << c.path << " " << c.body;
    }
    EXPECT_TRUE(waitUntil([&] { return remote.request("GET", "/api/state").body.find(
                                           R"({"unit":"A3","description":"Porch light","lamp":true,"state":"OFF"})") !=
                                       std::string::npos; },
                          3000))
        << remote.request("GET", "/api/state").body;
    EXPECT_NE(remote.request("GET", "/api/state").body.find(R"({"number":1,"label":"Outside","state":"ON"})"),
              std::string::npos);
    EXPECT_EQ(remote.request("POST", "/api/timers", R"({"on":false})").status, 200);
    EXPECT_TRUE(waitUntil([&] { return remote.request("GET", "/api/state").body.find(R"("timers":{"on":false)") !=
                                       std::string::npos; }, 3000));
    EXPECT_EQ(remote.request("GET", "/api/log").body.rfind("{\"log\":[", 0), 0u);
    // A password set while the service runs counts once it has read its
    // settings again, and every browser logs in again.
    ASSERT_EQ(remote.setPassword("another password"), 0);
    EXPECT_TRUE(waitUntil([&] { return remote.request("GET", "/api/state").status == 401; }, 5000));
    EXPECT_EQ(remote.logIn("another password").status, 200);
    EXPECT_EQ(remote.end(), 0);
}

TEST(WebRemoteEndToEnd, CrossSiteBadAndHostileRequestsAreRefusedAndTheRemoteServesOn) {
    Remote remote;
    ASSERT_EQ(remote.setPassword(Password), 0);
    remote.start({"service", "--http", remote.address()});
    ASSERT_TRUE(remote.serving()) << remote.errors();
    ASSERT_EQ(remote.logIn().status, 200);
    const std::string json = "-H 'Content-Type: application/json' ";
    struct Case {
        const char* method;
        const char* path;
        std::string body, extra;
        int status;
    };
    const Case cases[] = {
        {"POST", "/api/unit/A3", R"({"command":"ON"})", json + "-H 'Origin: http://evil.example'", 403},
        {"POST", "/api/unit/A3", R"({"command":"ON"})", "-H 'Content-Type: text/plain'", 415},
        {"POST", "/api/unit/A3", R"({"command":"ON"})", "-H 'Content-Type: application/x-www-form-urlencoded'", 415},
        {"POST", "/api/unit/Q3", R"({"command":"ON"})", json, 404},
        {"POST", "/api/unit/A3", "{\"command\":", json, 400},
        {"POST", "/api/macro", R"({"name":"../../etc/passwd"})", json, 400},
        {"POST", "/api/macro", R"({"name":"/etc/passwd"})", json, 400},
        {"POST", "/api/macro", R"({"name":"Missing"})", json, 404},
        {"GET", "/../../etc/passwd", "", "--path-as-is", 404},
        {"GET", "/%2e%2e/%2e%2e/etc/passwd", "", "--path-as-is", 404},
        {"PUT", "/api/state", "", "", 405},
        {"POST", "/api/unit/A3", std::string(100000, 'x'), json, 413},
    };
    for (const Case& c : cases) {
        const Reply r = remote.request(c.method, c.path, c.body, c.extra);
        EXPECT_EQ(r.status, c.status) << c.method << " " << c.path << ": " << r.body;
        EXPECT_EQ(r.body.rfind("{\"error\":\"", 0), 0u) << c.path << ": " << r.body;
    }
    EXPECT_EQ(remote.frames(), 0u);
    // A request with the remote's own origin is taken.
    EXPECT_EQ(remote.request("POST", "/api/unit/A3", R"({"command":"ON"})", json + "-H 'Origin: " + remote.url() + "'")
                  .status,
              200);
    EXPECT_TRUE(waitUntil([&] { return remote.count("A3 ON") == 1; }, 5000));

    // Clients that send half a request and wait hold no more than their share
    // of connections and are cut off in time; meanwhile the transmitter works.
    const std::string idle = "exec 3<>/dev/tcp/127.0.0.1/" + std::to_string(remote.port()) +
                             "; printf \"POST /api/panic HTTP/1.1\\r\\nHost: x\\r\\n\" >&3; timeout 30 cat <&3 >/dev/null";
    std::vector<FILE*> slow;
    for (int i = 0; i < 40; ++i) slow.push_back(popen(("bash -c '" + idle + "' 2>/dev/null").c_str(), "r"));
    const RunOptions sameChannel({"XDG_RUNTIME_DIR=" + (remote.dir() / "runtime").string()});
    EXPECT_EQ(runZulmarin(remote.dir(), {"send", "A", "3", "OFF"}, sameChannel).rc, 0);
    EXPECT_TRUE(waitUntil([&] { return remote.count("A3 OFF") == 1; }, 5000));
    const auto start = std::chrono::steady_clock::now();
    for (FILE* f : slow) pclose(f); // each ends when the remote closes it
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_EQ(remote.request("GET", "/api/state").status, 200);
    EXPECT_EQ(remote.frames(), 2u);
    EXPECT_EQ(remote.end(), 0);
}

} // namespace
} // namespace zul::test
