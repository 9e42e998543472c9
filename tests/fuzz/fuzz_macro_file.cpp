// Any bytes as a macro file: the readers must not crash, played codes are bits,
// and what the editor loads either writes back whole or is refused; and any
// bytes through the row and code conversions.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "macros/macro_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zul::macros;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (const auto& row : playRowsOf(bytes).rows)
        if (!isBitCode(row.code)) std::abort();
    std::vector<MacroRow> rows;
    for (const auto& r : editorRowsOf(bytes).rows) rows.push_back(r.row);
    const MacroBytes out = macroFileBytes(rows);
    if (out.badRow == 0 && out.bytes.size() != 24u * static_cast<std::size_t>(out.rowsWritten)) std::abort();
    // The code conversions: any text in, and a code of the tables converts to
    // a row and back to the same command.
    CroEdit codes;
    codes.codeToRow(bytes);
    std::string house(bytes.substr(0, 1));
    codes.rowToCode(house, bytes, bytes);
    if (const auto command = decodeCode(bytes)) {
        const auto code = encodeRow(command->house, command->unit, command->action);
        if (!code || decodeCode(*code) != command) std::abort();
    }
    pauseMillis(bytes);
    const std::string text(bytes);
    enterRow(text, text, text, text);
    return 0;
}
