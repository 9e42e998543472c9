// The writer every data file goes through (the readers meet hostile files in
// the app tests), and the text helpers that cut files into lines and show
// their bytes on a terminal.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "platform/atomic_file.h"
#include "platform/serial_ports.h"
#include "platform/text.h"
#include "support/fake_devices.h"
#include "support/temp_dir.h"

namespace zul {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

constexpr FileLimit kSmall{16, "a test file is short"};

mode_t modeOf(const fs::path& p) {
    struct stat st {};
    ::stat(p.c_str(), &st);
    return st.st_mode & 07777;
}

TEST(WriteFileAtomically, KeepsModeWritesThroughLinksAndLeavesNoTemporaryFile) {
    TempDir dir;
    const fs::path file = dir / "data.txt";
    const mode_t mask = ::umask(022);
    ASSERT_FALSE(writeFileAtomically(file, "one"));
    EXPECT_EQ(modeOf(file), 0644u);
    fs::permissions(file, fs::perms(0600));
    ASSERT_FALSE(writeFileAtomically(file, "two"));
    EXPECT_EQ(modeOf(file), 0600u);
    EXPECT_EQ(test::readFile(file), "two");

    // A link stays a link and its file gets the bytes, also when it dangles.
    fs::create_directory(dir / "real");
    fs::create_symlink("real/target.txt", dir / "link.txt");
    ASSERT_FALSE(writeFileAtomically(dir / "link.txt", "through"));
    ASSERT_FALSE(writeFileAtomically(dir / "link.txt", "again"));
    EXPECT_TRUE(fs::is_symlink(dir / "link.txt"));
    EXPECT_EQ(test::readFile(dir / "real" / "target.txt"), "again");

    // What is no regular file is never replaced.
    fs::create_directory(dir / "folder");
    EXPECT_EQ(writeFileAtomically(dir / "folder", "x"), FileError::NotRegularFile);
    EXPECT_TRUE(fs::is_directory(dir / "folder"));

    // Appending keeps the bytes already there and refuses what is too large to read.
    ASSERT_FALSE(appendFileAtomically(file, "+more", kSmall));
    EXPECT_EQ(test::readFile(file), "two+more");
    test::writeFile(file, std::string(20, 'x'));
    EXPECT_EQ(appendFileAtomically(file, "y", kSmall), FileError::TooLarge);
    ::umask(mask);

    int entries = 0;
    for (const auto& e : fs::recursive_directory_iterator(dir.path()))
        entries += !e.is_symlink() && e.is_regular_file();
    EXPECT_EQ(entries, 2); // data.txt and real/target.txt
}

TEST(Text, LinesAndPrintableForms) {
    const std::pair<std::string, std::vector<std::string>> lines[] = {
        {"a\r\nb", {"a", "b"}},
        {"a\n\n", {"a", ""}},
        {"\r", {}},
        {"\xEF\xBB\xBF\xEF\xBB\xBFx\r", {"x"}},
    };
    for (const auto& [bytes, expected] : lines) EXPECT_EQ(splitLines(bytes), expected) << printable(bytes);

    const std::pair<std::string, std::string> shown[] = {
        {"two\nlines\tand\r", "two\\nlines\\tand\\r"},
        {"\x1b[31mred", "\\x1b[31mred"},
        {"K\xC3\xBC"
         "che \xE2\x82\xAC",
         "K\xC3\xBC"
         "che \xE2\x82\xAC"}, // UTF-8 stays
        {"\xC2\x9B"
         "2J",
         "\\xc2\\x9b2J"}, // a C1 control
        {"txt.\xE2\x80\xAE"
         "exe",
         "txt.\\xe2\\x80\\xaeexe"}, // a right-to-left override
        {"a\xE2\x80\xAE"
         "b\xE2\x81\xA9",
         "a\\xe2\\x80\\xaeb\\xe2\\x81\\xa9"}, // text-direction controls
        {"\xE2\x80\xAF", "\xE2\x80\xAF"},     // a narrow space stays
        {"\xFF\xC3", "\\xff\\xc3"},           // not UTF-8
        {"\xE0\x80\xAF", "\\xe0\\x80\\xaf"},  // an overlong form
        {std::string("nul\0", 4), "nul\\x00"},
    };
    for (const auto& [text, expected] : shown) EXPECT_EQ(printable(text), expected);

    // A file's text: UTF-8 stays; anything else is Windows-1252, 0x80 to 0x9F included.
    const std::pair<std::string, std::string> decoded[] = {
        {"K\xC3\xBC"
         "che",
         "K\xC3\xBC"
         "che"},
        {"Caf\xE9", "Caf\xC3\xA9"},
        {"\x80\x85\x9F\xA0\xFF", "\xE2\x82\xAC\xE2\x80\xA6\xC5\xB8\xC2\xA0\xC3\xBF"},
        {"\x81\x8D", "\xC2\x81\xC2\x8D"},               // undefined there: kept as the same code points
        {"K\xC3\xBC\xE9", "K\xC3\x83\xC2\xBC\xC3\xA9"}, // one byte that is no UTF-8 makes the whole file single-byte
    };
    for (const auto& [bytes, text] : decoded) EXPECT_EQ(textFromFile(bytes), text) << printable(bytes);
}

// The serial ports found in a tree laid out like /dev and /sys; an adapter
// plugged in again under another ttyUSB number keeps its by-id name.
TEST(SerialPorts, AdaptersByTheirByIdNamesThenBuiltInPortsWithAUart) {
    TempDir root;
    test::makeSerialDevices(root.path());
    std::vector<std::string> listed;
    for (const SerialPortEntry& p : listSerialPorts(root.path()))
        listed.push_back(p.path + " | " + serialPortCaption(p) + " | " + std::to_string(p.comNumber));
    EXPECT_EQ(listed, (std::vector<std::string>{
                          "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A6008isP-if00-port0 | FTDI FT232R USB UART "
                          "(/dev/ttyUSB0) | 0",
                          "/dev/serial/by-id/usb-Prolific_Technology_Inc._USB-Serial_Controller-if00-port0 | Prolific "
                          "Technology Inc. USB-Serial Controller (/dev/ttyUSB1) | 0",
                          "/dev/ttyACM0 | Arduino (www.arduino.cc) Arduino Uno (/dev/ttyACM0) | 0",
                          "/dev/ttyS0 | Built-in serial port (Com 1) (/dev/ttyS0) | 1",
                          "/dev/ttyS4 | Built-in serial port (/dev/ttyS4) | 0"}));

    fs::remove_all(root / "dev/serial/by-id");
    fs::remove_all(root / "sys/class/tty/ttyUSB0");
    EXPECT_EQ(listSerialPorts(root.path()).size(), 4u) << "unplugged, the adapter is gone";
    test::plugAdapter(root.path(), test::kFtdiById, "ttyUSB2");
    test::sysTty(root.path(), "ttyUSB2", "FT232R USB UART", "FTDI");
    const SerialPortEntry back = listSerialPorts(root.path())[0];
    EXPECT_EQ(back.path, std::string("/dev/serial/by-id/") + test::kFtdiById);
    EXPECT_EQ(back.device, "/dev/ttyUSB2");
    EXPECT_TRUE(listSerialPorts(root / "nothing").empty());
}

} // namespace
} // namespace zul
