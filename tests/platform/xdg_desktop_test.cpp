#include "platform/xdg_desktop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>

#include "platform/package_programs.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace zul {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::ScopedEnv;
using test::writeFile;

TEST(XdgFoldersTest, ComeFromHomeTheXdgVariablesAndUserDirs) {
    test::TempDir home;
    {
        ScopedEnv env{
            {"HOME", home.path().string()}, {"XDG_CONFIG_HOME", "relative/ignored"}, {"XDG_DATA_HOME", std::nullopt}};
        const XdgFolders f = XdgFolders::fromEnvironment();
        EXPECT_EQ(f.configHome, home / ".config");
        EXPECT_EQ(f.dataHome, home / ".local/share");
        EXPECT_EQ(f.desktop, home / "Desktop");
        EXPECT_EQ(f.launcher(Launcher::Autostart), home / ".config/autostart/zulmarin.desktop");
        EXPECT_EQ(f.mimeApps(), home / ".config/mimeapps.list");
    }
    writeFile(home / "conf/user-dirs.dirs", "# written by xdg-user-dirs-update\nXDG_DOWNLOAD_DIR=\"$HOME/Downloads\"\n"
                                            "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n");
    ScopedEnv env{{"HOME", home.path().string()},
                  {"XDG_CONFIG_HOME", (home / "conf").string()},
                  {"XDG_DATA_HOME", (home / "data").string()}};
    const XdgFolders f = XdgFolders::fromEnvironment();
    EXPECT_EQ(f.desktop, home / "Schreibtisch");
    EXPECT_EQ(f.handler(), home / "data/applications/zulmarin.desktop");
    EXPECT_EQ(f.mimePackage(), home / "data/mime/packages/zulmarin-macro.xml");

    EXPECT_EQ(desktopDirFromUserDirs("XDG_DESKTOP_DIR=\"/srv/desk\"\r\n", "/h"), fs::path("/srv/desk"));
    EXPECT_EQ(desktopDirFromUserDirs("XDG_DESKTOP_DIR=\"$HOME\"", "/h"), fs::path("/h"));
    EXPECT_FALSE(desktopDirFromUserDirs("XDG_DESKTOP_DIR=Desktop\n#XDG_DESKTOP_DIR=\"/x\"", "/h"));
}

TEST(DesktopEntryTest, ExecNamesTheZulmarinCommandQuotedAndEscapedOnlyWhenNeeded) {
    EXPECT_EQ(desktopExecProgram("/usr/bin/zulmarin"), "/usr/bin/zulmarin");
    // The windows run in a program zulmarin starts; launchers start zulmarin.
    EXPECT_EQ(zulmarinProgramOf("/usr/lib/zulmarin/zulmarin-gui"), fs::path("/usr/bin/zulmarin"));
    EXPECT_EQ(zulmarinProgramOf("/home/u/build/zulmarin-tx"), fs::path("/home/u/build/zulmarin"));
    EXPECT_EQ(zulmarinProgramOf("/opt/z/zulmarin"), fs::path("/opt/z/zulmarin"));
    // Quoted for the blank; \ " ` $ escaped inside the quotes, then every backslash doubled; % doubled.
    EXPECT_EQ(desktopExecProgram("/opt/my apps/z$ul%\\x"), R"("/opt/my apps/z\\$ul%%\\\\x")");
    EXPECT_EQ(desktopExecProgram("/a\"b"), R"("/a\\"b")");
}

TEST(DesktopEntryTest, ShippedFilesAreWhatTheProgramWrites) {
    const fs::path data = fs::path(ZUL_SOURCE_DIR) / "data";
    EXPECT_EQ(readFile(data / "zulmarin.desktop"), desktopEntryText("zulmarin", "zulmarin", false));
    EXPECT_EQ(readFile(data / "zulmarin-macro.xml"), macroMimePackageText());
}

TEST(MimeappsListTest, OnlyThisProgramsIdMovesInAndOut) {
    const struct {
        const char* list;
        const char* associated;
        const char* removedAgain;
    } cases[] = {
        // Already listed among others: moved to the front, and taken out alone.
        {"[Default Applications]\napplication/x-zulmarin-macro=a.desktop;zulmarin.desktop;b.desktop;\n"
         "[Added Associations]\napplication/x-zulmarin-macro=zulmarin.desktop;\n",
         "[Default Applications]\napplication/x-zulmarin-macro=zulmarin.desktop;a.desktop;b.desktop;\n"
         "[Added Associations]\napplication/x-zulmarin-macro=zulmarin.desktop;\n",
         "[Default Applications]\napplication/x-zulmarin-macro=a.desktop;b.desktop;\n"},
        // Another type's line stays; a section left with nothing in it goes.
        {"[Added Associations]\ntext/plain=gedit.desktop;\n[Default Applications]\n",
         "[Added Associations]\napplication/x-zulmarin-macro=zulmarin.desktop;\ntext/plain=gedit.desktop;\n"
         "[Default Applications]\napplication/x-zulmarin-macro=zulmarin.desktop;\n",
         "[Added Associations]\ntext/plain=gedit.desktop;\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(withMacroHandler(c.list), c.associated) << c.list;
        EXPECT_EQ(withoutMacroHandler(c.associated), c.removedAgain) << c.list;
    }
    EXPECT_EQ(defaultMacroHandler("[Default Applications]\napplication/x-zulmarin-macro = x.desktop ; y.desktop\n"),
              "x.desktop");
}

class XdgIntegrationTest : public ::testing::Test {
protected:
    XdgIntegrationTest() {
        folders.configHome = home / "config";
        folders.dataHome = home / "data";
        folders.desktop = home / "Desktop";
    }
    XdgIntegration make(const std::string& program = "/opt/zul/zulmarin") {
        return XdgIntegration(folders, program, "/opt/zul/zulmarin.svg",
                              [this](const std::string& tool, const std::vector<std::string>& args) {
                                  const std::string name = fs::path(tool).filename().string();
                                  tools.push_back(name + " " + args.at(0));
                                  // What the real tools leave beside the files they read.
                                  const fs::path folder = args.at(0);
                                  if (name == "update-mime-database") {
                                      writeFile(folder / "mime.cache", "cache");
                                      writeFile(folder / "application/x-zulmarin-macro.xml",
                                                "<mime-type type=\"application/x-zulmarin-macro\"/>");
                                  } else {
                                      writeFile(folder / "mimeinfo.cache", "[MIME Cache]\n");
                                  }
                              });
    }
    // Stand-ins for the desktop's database tools on PATH, so that they are run.
    void toolsOnPath() {
        for (const char* name : {"update-mime-database", "update-desktop-database"}) {
            writeFile(bin / name, "#!/bin/sh\n");
            fs::permissions(bin / name, fs::perms::owner_all);
        }
        path.set("PATH", bin.path().string());
    }
    // Every file (or folder) below the temporary home, relative to it.
    std::vector<std::string> files(bool folders = false) const {
        std::vector<std::string> out;
        for (const auto& e : fs::recursive_directory_iterator(home.path()))
            if (folders ? e.is_directory() : e.is_regular_file())
                out.push_back(fs::relative(e.path(), home.path()).string());
        std::sort(out.begin(), out.end());
        return out;
    }
    std::vector<std::string> subfolders() const { return files(true); }

    test::TempDir home, bin;
    XdgFolders folders;
    std::vector<std::string> tools;
    ScopedEnv path{};
};

TEST_F(XdgIntegrationTest, LaunchersAreWrittenAndRemovedButAForeignFileIsLeftAlone) {
    XdgIntegration xdg = make();
    EXPECT_EQ(xdg.setLauncher(Launcher::DesktopFolder, true), "");
    EXPECT_EQ(xdg.setLauncher(Launcher::Autostart, true), "");
    const std::string text = readFile(home / "Desktop/zulmarin.desktop");
    EXPECT_EQ(text, readFile(home / "config/autostart/zulmarin.desktop"));
    EXPECT_NE(text.find("\nExec=/opt/zul/zulmarin %f\nIcon=/opt/zul/zulmarin.svg\n"), std::string::npos);
    EXPECT_NE(text.find("\nX-Zulmarin-Generated=true\n"), std::string::npos);
    EXPECT_NE(fs::status(home / "Desktop/zulmarin.desktop").permissions() & fs::perms::owner_exec, fs::perms::none);
    EXPECT_TRUE(xdg.hasLauncher(Launcher::Autostart));

    EXPECT_EQ(xdg.setLauncher(Launcher::DesktopFolder, false), "");
    EXPECT_EQ(xdg.setLauncher(Launcher::Autostart, false), "");
    EXPECT_EQ(xdg.setLauncher(Launcher::Autostart, false), "") << "nothing to remove is no error";
    EXPECT_TRUE(files().empty());
    EXPECT_EQ(subfolders(), (std::vector<std::string>{"Desktop", "config"})) << "the emptied autostart folder went";

    const std::string mine = "[Desktop Entry]\nName=My own\n";
    writeFile(home / "Desktop/zulmarin.desktop", mine);
    EXPECT_NE(xdg.setLauncher(Launcher::DesktopFolder, true).find("was not made by Zulmarin"), std::string::npos);
    EXPECT_NE(xdg.setLauncher(Launcher::DesktopFolder, false), "");
    EXPECT_EQ(readFile(home / "Desktop/zulmarin.desktop"), mine);
    EXPECT_FALSE(xdg.hasLauncher(Launcher::DesktopFolder));
}

TEST_F(XdgIntegrationTest, AssociationKeepsTheUsersMimeappsLinesAndRemovalGivesThemBack) {
    const std::string userList = "# my defaults\r\n"
                                 "[Default Applications]\r\n"
                                 "text/html=firefox.desktop;\r\n"
                                 "application/x-zulmarin-macro=editor.desktop;\r\n"
                                 "\r\n"
                                 "[Removed Associations]\r\n"
                                 "image/png=gimp.desktop;";
    writeFile(home / "config/mimeapps.list", userList);
    XdgIntegration xdg = make();
    EXPECT_FALSE(xdg.macroAssociationInPlace());
    EXPECT_EQ(xdg.setMacroAssociation(true), "");
    EXPECT_TRUE(xdg.macroAssociationInPlace());
    EXPECT_EQ(readFile(home / "config/mimeapps.list"),
              "# my defaults\r\n[Default Applications]\r\ntext/html=firefox.desktop;\r\n"
              "application/x-zulmarin-macro=zulmarin.desktop;editor.desktop;\r\n\r\n"
              "[Removed Associations]\r\nimage/png=gimp.desktop;\n"
              "[Added Associations]\napplication/x-zulmarin-macro=zulmarin.desktop;\n");
    EXPECT_EQ(readFile(home / "data/mime/packages/zulmarin-macro.xml"), macroMimePackageText());
    EXPECT_EQ(readFile(home / "data/applications/zulmarin.desktop"),
              desktopEntryText("/opt/zul/zulmarin", "/opt/zul/zulmarin.svg", true));
    // Only the tools found on PATH run; none of them is waited for.
    for (const auto& t : tools) EXPECT_TRUE(t.starts_with("update-")) << t;

    // Another copy of the program elsewhere is not this association.
    EXPECT_FALSE(make("/home/u/build/zulmarin").macroAssociationInPlace());
    EXPECT_EQ(xdg.setMacroAssociation(true), "") << "associating again changes nothing more";
    EXPECT_EQ(defaultMacroHandler(readFile(home / "config/mimeapps.list")), "zulmarin.desktop");

    EXPECT_EQ(xdg.setMacroAssociation(false), "");
    EXPECT_EQ(readFile(home / "config/mimeapps.list"), userList + "\n");
    EXPECT_EQ(files(), (std::vector<std::string>{"config/mimeapps.list"}));
    EXPECT_FALSE(xdg.macroAssociationInPlace());
}

TEST_F(XdgIntegrationTest, AnAssociationMadeFromNothingLeavesNothingWhenRemoved) {
    toolsOnPath();
    XdgIntegration xdg = make();
    ASSERT_EQ(xdg.setMacroAssociation(true), "");
    EXPECT_EQ(readFile(home / "config/mimeapps.list"),
              "[Default Applications]\napplication/x-zulmarin-macro=zulmarin.desktop;\n"
              "[Added Associations]\napplication/x-zulmarin-macro=zulmarin.desktop;\n");
    EXPECT_EQ(tools.size(), 2u);
    ASSERT_TRUE(fs::exists(home / "data/mime/mime.cache"));
    // The caches that describe only the program's type go with the folders they leave empty.
    ASSERT_EQ(xdg.setMacroAssociation(false), "");
    EXPECT_TRUE(files().empty());
    EXPECT_EQ(subfolders(), (std::vector<std::string>{"config", "data"}));
    EXPECT_EQ(tools.size(), 2u) << "no database is made again to describe nothing";

    // Beside the user's own types and entries the databases are brought up to date instead.
    writeFile(home / "data/mime/packages/mine.xml", "<mime-info/>");
    writeFile(home / "data/applications/editor.desktop", "[Desktop Entry]\n");
    ASSERT_EQ(xdg.setMacroAssociation(true), "");
    ASSERT_EQ(xdg.setMacroAssociation(false), "");
    EXPECT_EQ(tools.size(), 6u);
    EXPECT_FALSE(fs::exists(home / "data/mime/packages/zulmarin-macro.xml"));
    EXPECT_TRUE(fs::exists(home / "data/mime/packages/mine.xml"));
    EXPECT_TRUE(fs::exists(home / "data/applications/editor.desktop"));
    fs::remove_all(home / "data");

    // A handler entry of the user's own is neither replaced nor removed.
    writeFile(home / "data/applications/zulmarin.desktop", "[Desktop Entry]\nExec=mine\n");
    EXPECT_NE(xdg.setMacroAssociation(true), "");
    EXPECT_NE(xdg.setMacroAssociation(false), "");
    EXPECT_EQ(readFile(home / "data/applications/zulmarin.desktop"), "[Desktop Entry]\nExec=mine\n");
}

} // namespace
} // namespace zul
