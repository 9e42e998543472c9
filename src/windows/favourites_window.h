#pragma once
// The favourites window without its widgets: the described units of the record store as a
// short list, each visible row with its own ON and OFF button, BRI and DIM
// repeating while held, the options (most rows shown, always on top, sort by
// name) in record 277, the status line with its clock, and the window's
// place ("FavLeft", "FavTop", "FavWidth").
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/event_loop.h"

namespace zul {

class RecordStore;
class SettingsBackend;
class Sounds;

namespace x10 {
class Transmitter;
class X10Codes;
} // namespace x10
} // namespace zul

namespace zul::windows {

struct Favourite {
    std::string code;        // house letter + unit number, "B12"
    std::string description; // what the main window's description says
};

// What the favourites use of the program.
struct FavouritesServices {
    RecordStore& records;
    SettingsBackend& settings;
    const x10::X10Codes& codes;
    x10::Transmitter& transmitter;
    EventLoop& loop;
    const Clock& clock;
    Sounds& sounds;
    const bool& stopAll;
    std::function<std::string(const std::string&)> tr; // the language lookup
};

class FavouritesWindowForm {
public:
    static constexpr int DefaultWidthTwips = 3360;
    static constexpr int MinWidthTwips = 2900;
    static constexpr int ClockMs = 1000;
    static constexpr int HintMs = 3000; // a hint stays at least this long
    static constexpr double HoldRepeatSeconds = 0.35;

    explicit FavouritesWindowForm(FavouritesServices services);
    ~FavouritesWindowForm();

    // Opening: the options (record 277, "10,0,0" when it holds less), the
    // lists, the clock; the click sound when sounds are on.
    void open();
    // Rebuilds the lists from records 1 to 256 (setFavs).
    void setFavs();

    // The favourites in the order shown (by name, or in record order).
    const std::vector<Favourite>& shown() const { return sortByName_ ? sorted_ : inRecordOrder_; }
    // How many rows (and ON/OFF pairs) show at once.
    int rows() const;
    // The first row in view; the list scrolls from 0 to count - rows.
    int firstVisible() const { return first_; }
    void scrollTo(int row);

    // --- options; each change writes record 277
    const std::string& maxVisibleText() const { return maxVisible_; }
    bool onTop() const { return onTop_; }
    bool sortByName() const { return sortByName_; }
    // Typing in "Max Favorites Visible"; Enter or leaving the field then runs setFavs.
    void setMaxVisible(const std::string& text);
    void setOnTop(bool on);
    void setSortByName(bool on);

    // --- sending
    // ON or OFF button i of the visible pairs: the unit of row first visible + i.
    void press(int button, bool on);
    // BRI or DIM held: repeats for the house of the last ON or OFF until released.
    void holdDown(bool bright);
    void holdUp() { held_ = false; }
    bool held() const { return held_; }
    // The click that ends a BRI or DIM hold.
    void holdClick();

    // --- status line: the date and time, or (for HintMs, or until the clock is
    // asked for) what the button under the mouse does
    const std::string& status() const { return status_; }
    void showClock();
    void hoverUnit(int button, bool on);
    void hoverDimmer(bool bright);

    // --- the window's place, in twips
    std::optional<std::pair<int, int>> storedPosition() const;
    int storedWidth() const;
    static int allowedWidth(int twips) { return twips < MinWidthTwips ? MinWidthTwips : twips; }
    // Closing: the position unless minimised, the width always. A close by
    // the user also plays the click sound and shows the main window.
    void close(bool byUser, std::optional<std::pair<int, int>> position, int widthTwips);
    std::function<void()> showMainWindow;

    // The shown state changed (lists, rows, status).
    std::function<void()> changed;

private:
    void writeOptions();
    void hint(std::string text);
    void clicked();
    void notify() {
        if (changed) changed();
    }
    std::string tr(const std::string& text) const { return s_.tr ? s_.tr(text) : text; }

    FavouritesServices s_;
    std::unique_ptr<Tick> clock_;
    std::vector<Favourite> sorted_, inRecordOrder_;
    std::string maxVisible_ = "10";
    bool onTop_ = false, sortByName_ = false;
    bool opened_ = false;
    int first_ = 0;
    bool held_ = false;
    // The last ON or OFF: its code ("C12") and house byte, for BRI and DIM.
    std::string keptCode_, keptHouseByte_;
    std::string status_;
    std::int64_t hintSince_ = -1; // when the hint shown went up (monotonic us); -1: the clock shows
};

} // namespace zul::windows
