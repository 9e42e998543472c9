// Any bytes as a group file: the reader must not crash and a label cleaned for
// the file never holds a quote or a line break.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "macros/group_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zul::macros;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const GroupContents group = parseGroupText(bytes);
    groupItemsText(group.items);
    if (cleanGroupLabel(bytes).find_first_of("\"\r\n") != std::string::npos) std::abort();
    return 0;
}
