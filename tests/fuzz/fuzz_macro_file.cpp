// Any bytes as a macro file: the readers must not crash, played codes are bits,
// and what the editor loads either writes back whole or is refused.
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
    CroEdit codes;
    codes.CodeToRow(bytes);
    return 0;
}
