#include <ostream>

#include "cli/cli.h"
#include "settings/cipher.h"

namespace zul::cli {

const char* const cipherHelp = "usage: zulmarin cipher encipher|decipher TEXT\n"
                               "Enciphers TEXT with the program's text cipher (as db.zld records and error.log\n"
                               "entries are stored), or deciphers such a text. Double quotes cannot be enciphered\n"
                               "and are dropped.\n";

int cipherCommand(const Args& args, Io& io) {
    if (args.size() != 2) return badInput(io, "cipher needs a direction and one TEXT (quote it when it has blanks)");
    const std::string& direction = args[0];
    const std::string& text = args[1];
    if (direction == "encipher") {
        if (text.find('"') != std::string::npos) io.err << "zulmarin: double quotes are dropped from the text\n";
        io.out << cipherText(false, text) << "\n";
        return 0;
    }
    if (direction == "decipher") {
        if (!looksEnciphered(text)) return badInput(io, "'" + text + "' is not an enciphered text");
        io.out << cipherText(true, text) << "\n";
        return 0;
    }
    return badInput(io, "unknown direction '" + direction + "' (encipher or decipher)");
}

} // namespace zul::cli
