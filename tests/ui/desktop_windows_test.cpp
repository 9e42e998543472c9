#include "ui_fixture.h"

#include <QMessageBox>
#include <QScreen>
#include <QScrollBar>
#include <QTextBrowser>

#include "windows/main_window_menu.h"
#include "platform/qt/qt_desktop.h"
#include "platform/qt/qt_dialogs.h"
#include "ui/favourites_window.h"
#include "ui/help_window.h"
#include "ui/info_windows.h"
#include "ui/preferences_window.h"
#include "support/numbered.h"
#include "support/scoped_env.h"
#include "ui/tray.h"
#include "app/groups_panel.h"
#include "ui/macro_setup_window.h"
#include "ui/timer_window.h"
#include "ui/timer_log_window.h"
#include "ui/run_macro_window.h"
#include "ui/port_setup_dialog.h"

namespace zul::test {
namespace {

using windows::PreferencesTab;

class DesktopWindowsTest : public UiFixture {
protected:
    ui::PreferencesWindow& prefs() { return program->preferences(); }
    void showTab(windows::PreferencesTab tab, const std::string& shot) {
        prefs().tabs()->setCurrentIndex(static_cast<int>(tab));
        screenshot(prefs(), shot);
    }
    static void retype(QLineEdit* field, const QString& text) {
        field->setFocus();
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Delete);
        QTest::keyClicks(field, text);
    }
    std::string setting(const SettingKey& key) { return program->app().settings.read(key).value_or("<none>"); }
};

TEST_F(DesktopWindowsTest, PreferencesApplyCancelAndOkThroughTheWindow) {
    startRunning();
    QTest::mouseClick(window().panicButton(), Qt::RightButton); // right click: the panic setup
    ASSERT_TRUE(prefs().isVisible());
    EXPECT_EQ(prefs().tabs()->currentIndex(), static_cast<int>(windows::PreferencesTab::Panic));
    EXPECT_EQ(prefs().panicField(windows::PanicField::Group)->text(), "6");
    retype(prefs().panicField(windows::PanicField::Caption), "&Porch");
    retype(prefs().panicField(windows::PanicField::Minutes), "2");
    EXPECT_TRUE(prefs().applyButton()->isEnabled());
    showTab(windows::PreferencesTab::Panic, "preferences_panic");
    QTest::mouseClick(prefs().applyButton(), Qt::LeftButton);
    EXPECT_EQ(program->app().records.readRecord(274, true), "&Porch");
    EXPECT_EQ(window().panicButton()->text(), "&Porch") << "the main window's button follows at once";
    EXPECT_FALSE(prefs().applyButton()->isEnabled());

    // Typing finds a city; the advanced field waits for Apply, and Cancel forgets it.
    prefs().tabs()->setCurrentIndex(static_cast<int>(windows::PreferencesTab::Location));
    prefs().cityList()->setFocus();
    QTest::keyClicks(prefs().cityList(), "New Y");
    EXPECT_EQ(prefs().locationField(windows::LocationTabForm::Field::Latitude)->text(), "40.43");
    showTab(windows::PreferencesTab::Location, "preferences_location");
    retype(prefs().advancedField(windows::AdvancedField::MaxLog), "700");
    showTab(windows::PreferencesTab::Advanced, "preferences_advanced");
    prefs().soundList()->setCurrentRow(0);
    showTab(windows::PreferencesTab::Sounds, "preferences_sounds");
    showTab(windows::PreferencesTab::General, "preferences_general");
    // An option acts the moment it is clicked: the main window's tips go at once.
    QCheckBox* tips = prefs().optionBox(app::Option::ToolTips);
    QTest::mouseClick(tips, Qt::LeftButton, {}, QPoint(20, tips->height() / 2)); // on its caption
    EXPECT_EQ(setting(Setting::ShowToolTips), "0");
    EXPECT_TRUE(window().panicButton()->toolTip().isEmpty());
    QTest::keyClick(&prefs(), Qt::Key_Escape);
    EXPECT_FALSE(prefs().isVisible());
    EXPECT_EQ(setting(Setting::MaxLogSize) + "|" + setting(Setting::CityName), "<none>|")
        << "Apply stored the location as it stood";
    EXPECT_TRUE(dialogs.shown.empty());

    // Enter in the city list is OK.
    windows::runMenuEntry(program->app(), windows::MenuId::SetupPreferences);
    prefs().tabs()->setCurrentIndex(static_cast<int>(windows::PreferencesTab::Location));
    prefs().cityList()->setFocus();
    QTest::keyClicks(prefs().cityList(), "Lo");
    QTest::keyClick(prefs().cityList(), Qt::Key_Return);
    EXPECT_FALSE(prefs().isVisible());
    EXPECT_EQ(setting(Setting::CityName), "Los Angeles, CA");
    EXPECT_NE(setting(Setting::PreferencesLeft), "<none>");
}

// On a 12-hour clock the location tab writes the sun times so; opened again,
// it shows the place as stored.
TEST_F(DesktopWindowsTest, TheLocationTabShowsTheClocksTimeStyleAndTheStoredPlace) {
    clock.setUses24Hour(false);
    startRunning();
    windows::runMenuEntry(program->app(), windows::MenuId::SetupPreferences);
    prefs().tabs()->setCurrentIndex(static_cast<int>(windows::PreferencesTab::Location));
    prefs().cityList()->setFocus();
    QTest::keyClicks(prefs().cityList(), "New Y");
    const std::string sunrise = prefs().logic().location().sunriseLine();
    ASSERT_TRUE(sunrise.ends_with(" AM")) << sunrise;
    showTab(windows::PreferencesTab::Location, "location_12h");
    QTest::keyClick(prefs().cityList(), Qt::Key_Return); // OK
    windows::runMenuEntry(program->app(), windows::MenuId::SetupPreferences);
    EXPECT_EQ(prefs().cityList()->currentText(), "New York City, NY");
    EXPECT_EQ(prefs().locationField(windows::LocationTabForm::Field::Latitude)->text(), "40.43");
    QTest::keyClick(&prefs(), Qt::Key_Escape);
    EXPECT_TRUE(dialogs.shown.empty()) << "nothing was asked about the location";
}

TEST_F(DesktopWindowsTest, FavouritesListDescribedUnitsSortedAndSwitchThem) {
    presetRecord(3, "A3## Zebra lamp");
    presetRecord(20, "B4## Attic fan");
    startRunning();
    windows::runMenuEntry(program->app(), windows::MenuId::ViewFavorites);
    ui::FavouritesWindow& favs = program->favourites();
    ASSERT_TRUE(favs.isVisible());
    EXPECT_FALSE(window().isVisible()) << "the favourites stand in for the main window";
    EXPECT_EQ(favs.list()->item(0)->text(), "Zebra lamp");
    favs.optionsAction()->trigger();
    QTest::mouseClick(favs.sortBox(), Qt::LeftButton);
    ASSERT_EQ(favs.list()->count(), 2);
    EXPECT_EQ(favs.list()->item(0)->text(), "Attic fan");
    QTest::mouseClick(favs.onButton(1), Qt::LeftButton);
    EXPECT_EQ(sent(), (std::vector<std::string>{"A3 ON"}));
    screenshot(favs, "favourites");

    program->app().startup->setCommand("previous");
    EXPECT_TRUE(favs.isVisible());
    favs.close();
    EXPECT_TRUE(window().isVisible()) << "closing the favourites brings the main window back";
}

TEST_F(DesktopWindowsTest, FavouriteButtonsFollowTheScrolledList) {
    for (int u = 1; u <= 6; ++u) presetRecord(16 + u, numbered("B", u, "## Lamp ") + std::to_string(u));
    startRunning();
    program->app().windows().showFavourites();
    ui::FavouritesWindow& favs = program->favourites();
    favs.optionsAction()->trigger();
    const int sixRowsHigh = favs.height();
    retype(favs.maxVisibleField(), "3");
    QTest::keyClick(favs.maxVisibleField(), Qt::Key_Return);
    ASSERT_EQ(favs.buttonPairs(), 3);
    EXPECT_LT(favs.height(), sixRowsHigh) << "fewer rows, a lower window";
    QApplication::processEvents(); // the list lays itself out
    ASSERT_EQ(favs.list()->verticalScrollBar()->maximum(), 3) << "exactly three rows in view";
    favs.list()->verticalScrollBar()->setValue(2);
    QTest::mouseClick(favs.onButton(0), Qt::LeftButton);
    QTest::mouseClick(favs.offButton(2), Qt::LeftButton);
    EXPECT_EQ(sent(), (std::vector<std::string>{"B3 ON", "B5 OFF"}));
    screenshot(favs, "favourites_scrolled");
}

TEST_F(DesktopWindowsTest, TrayTipFollowsTheTimersSwitchAndMinimisingNeverLosesTheWindow) {
    startRunning();
    QTest::mouseClick(window().timersToggle(), Qt::LeftButton);
    EXPECT_EQ(program->tray().icon().toolTip(), "Zulmarin (Timers ON)  ");
    QTest::mouseClick(window().timersToggle(), Qt::LeftButton);
    EXPECT_EQ(program->tray().icon().toolTip(), "Zulmarin (Timers OFF)  ");

    ui::Tray& tray = program->tray();
    tray.available = [] { return false; };
    window().minimizeRequested(true);
    EXPECT_TRUE(window().isMinimized()) << "without a tray the window goes to the taskbar";
    program->app().windows().bringToFront();
    EXPECT_TRUE(window().isVisible());
    EXPECT_FALSE(window().isMinimized());

    // To the taskbar and back, then to the tray: a click on the icon brings it
    // back shown, in front and active, and the icon goes.
    tray.available = [] { return true; };
    writeFile(home.home() / "expand.wav", "RIFF");
    const std::size_t sounds = sound.played.size();
    window().minimizeRequested(false);
    EXPECT_TRUE(window().isMinimized());
    EXPECT_EQ(sound.played.size(), sounds + 1) << "the resize sound";
    window().showNormal();
    window().minimizeRequested(true);
    EXPECT_FALSE(window().isVisible());
    EXPECT_TRUE(tray.icon().isVisible());
    tray.restore();
    EXPECT_TRUE(window().isVisible());
    EXPECT_FALSE(window().isMinimized());
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window(), 2000));
    EXPECT_FALSE(tray.icon().isVisible());
    screenshot(window(), "tray_return");
}

// Stored places off every screen (a monitor unplugged) open on the screen.
TEST_F(DesktopWindowsTest, WindowsStoredOffTheScreenOpenOnIt) {
    for (const auto& [key, twips] : {std::pair{&Setting::MainLeft, "99999"},
                                     {&Setting::MainTop, "-5000"},
                                     {&Setting::MacroSetupLeft, "-99999"},
                                     {&Setting::MacroSetupTop, "99999"}})
        writeSetting(program->app().settings, *key, twips);
    startRunning();
    program->app().windows().showMacroSetup(0, -1);
    for (QWidget* w : {static_cast<QWidget*>(&window()), static_cast<QWidget*>(&program->macroSetup())}) {
        const QRect screen = w->screen()->availableGeometry();
        EXPECT_TRUE(QTest::qWaitFor([&] { return screen.contains(w->frameGeometry()); }, 2000))
            << w->windowTitle().toStdString();
    }
}

// In every window an Alt key leads to one control, and F1 opens the window's
// own section of the help (pictured with the windows that have no other test).
TEST_F(DesktopWindowsTest, EachWindowsAltKeysAreItsOwnAndF1OpensItsHelp) {
    for (const char* page : {"zulHelp.html", "editorhelp.html", "zulmarin.svg"})
        std::filesystem::copy_file(std::filesystem::path(ZUL_SOURCE_DIR) / "data" / page, home.home() / page);
    startRunning();
    app::App& a = program->app();
    ui::HelpWindow& help = program->help();
    // Shows a window, then checks its Alt keys and F1.
    auto check = [&](const std::function<void()>& show, QWidget& w, const char* anchor, const char* picture = nullptr) {
        SCOPED_TRACE(anchor);
        show();
        ASSERT_TRUE(w.isVisible());
        if (picture) screenshot(w, picture);
        EXPECT_EQ(clashingAltKeys(w), "");
        help.hide();
        QApplication::setActiveWindow(&w); // the offscreen screen does not always follow activateWindow
        QTest::keyClick(&w, Qt::Key_F1);
        EXPECT_TRUE(help.isVisible());
        EXPECT_EQ(help.browser()->source().fragment().toStdString(), anchor);
        if (&w != &window()) w.hide();
    };
    const auto menu = [&a](windows::MenuId id) { return [&a, id] { windows::runMenuEntry(a, id); }; };
    check([&] { a.groups->setShown(true); }, window(), "MainFormWindow");
    EXPECT_FALSE(help.browser()->toPlainText().isEmpty());
    screenshot(help, "help");
    const char* macroTabs[] = {"MacroEditor", "SetupGroups", "ManageMacros"};
    for (int tab = 0; tab < 3; ++tab)
        check([&] { a.windows().showMacroSetup(tab, -1); }, program->macroSetup(), macroTabs[tab]);
    const char* preferenceTabs[] = {"Preferences", "SetupPanicButton", "Location", "Sounds", "Advanced", "MqttBridge",
                                    "WebRemote"};
    static_assert(std::size(preferenceTabs) == windows::kPreferencesTabs);
    for (int tab = 0; tab < windows::kPreferencesTabs; ++tab)
        check([&] { a.windows().showPreferences(tab, ""); }, prefs(), preferenceTabs[tab]);
    check(menu(windows::MenuId::SetupTimer), program->timerWindow(), "TimerWindow");
    check(menu(windows::MenuId::TimerStatus), program->timerLogWindow(), "TimerLog");
    check([&] { a.windows().showPortDialog(); }, program->portDialog(), "PortSetup");
    check([&] { a.windows().showRunMacro(); }, program->runMacro(), "RunMacro");
    check(menu(windows::MenuId::About), program->about(), "About", "about");
    check([&] { a.windows().showUninstaller(); }, program->uninstaller(), "Uninstall", "uninstall");
    check([&] { a.windows().showFavourites(); }, program->favourites(), "Favorites");
}

// The first start shows the port message without waiting and opens the port
// dialog; a box that Enter in the dialog brings up must not hide beneath it.
TEST_F(DesktopWindowsTest, ABoxWaitingForAnAnswerStaysAboveAnInformationLeftOpen) {
    qt::QtDialogs boxes;
    boxes.info(InfoBox{"left open"});
    std::vector<bool> onTop;
    auto answer = [&](int key) {
        QTimer::singleShot(0, [&onTop, key] {
            QWidget* box = QApplication::activeModalWidget();
            ASSERT_TRUE(box);
            onTop.push_back(box->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
            QTest::keyClick(box, Qt::Key(key));
        });
    };
    answer(Qt::Key_Return);
    boxes.message("Enter a port number");
    answer(Qt::Key_Escape);
    EXPECT_EQ(boxes.question("Overwrite?", "Overwrite File", false), Answer::No);
    answer(Qt::Key_Return);
    EXPECT_EQ(boxes.questionDefaultNo("Are you sure you want to delete the selected file?", "Delete Macro?"),
              Answer::No)
        << "Enter never deletes";
    EXPECT_EQ(onTop, (std::vector<bool>{true, true, true}));
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* info = qobject_cast<QMessageBox*>(w)) info->close();
}

// The real desktop integration, in the temporary home the tests run with.
TEST_F(DesktopWindowsTest, LaunchersAndTheAssociationAreWrittenAndRemovedInTheUsersFolders) {
    const std::filesystem::path config = std::getenv("XDG_CONFIG_HOME");
    const std::filesystem::path data = std::getenv("XDG_DATA_HOME");
    // No desktop database tool runs in the background of a test.
    ScopedEnv path{{"PATH", ""}};
    qt::QtDesktop desktop;
    ASSERT_EQ(desktop.setLauncher(Launcher::Autostart, true), "");
    const std::string entry = readFile(config / "autostart/zulmarin.desktop");
    EXPECT_NE(entry.find("Exec=" + std::filesystem::read_symlink("/proc/self/exe").string() + " %f\n"),
              std::string::npos);
    ASSERT_EQ(desktop.setMacroAssociation(true), "");
    EXPECT_TRUE(desktop.macroAssociationInPlace());
    EXPECT_EQ(desktop.setLauncher(Launcher::Autostart, false), "");
    EXPECT_EQ(desktop.setMacroAssociation(false), "");
    for (const auto& gone : {config / "autostart/zulmarin.desktop", config / "mimeapps.list",
                             data / "applications/zulmarin.desktop", data / "mime/packages/zulmarin-macro.xml"})
        EXPECT_FALSE(std::filesystem::exists(gone)) << gone;

    // A file no program takes: the desktop's opener gives up, and the caller hears of it.
    TempDir bin;
    writeFile(bin / "xdg-open", "#!/bin/sh\nprintf '%s' \"$1\" > \"${0%/*}/asked\"\nexit 3\n");
    std::filesystem::permissions(bin / "xdg-open", std::filesystem::perms::owner_all);
    path.set("PATH", bin.path().string());
    bool failed = false;
    desktop.openFile((data / "TimerLog.log").string(), [&failed] { failed = true; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return failed; }, 10000));
    EXPECT_EQ(readFile(bin / "asked"), (data / "TimerLog.log").string());
}

} // namespace
} // namespace zul::test
