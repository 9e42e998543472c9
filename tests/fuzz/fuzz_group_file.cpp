// Any bytes as a group file: the reader must not crash, a label cleaned for
// the file never holds a quote or a line break, and a label written into the
// file reads back.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string_view>

#include "fuzz_folder.h"
#include "macros/group_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zul::macros;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const GroupContents group = parseGroupText(bytes);
    groupItemsText(group.items);
    if (cleanGroupLabel(bytes).find_first_of("\"\r\n") != std::string::npos) std::abort();
    // As a file on disk: a label put into it reads back, whatever else it holds.
    static const std::filesystem::path file = fuzzFolder() / "file1.grp";
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
    if (goGrLabel("p", file, "New") != "New" || goGrLabel("g", file, "") != "New") std::abort();
    return 0;
}
