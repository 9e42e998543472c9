#include "platform/qt/frame_memory.h"

#include <link.h>
#include <pthread.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <ctime>
#include <vector>

namespace zul::qt {

namespace {

using Address = std::uintptr_t;

struct Range {
    Address begin, end;
    auto operator<=>(const Range&) const = default;
};

Address pageSize() {
    static const Address size = static_cast<Address>(sysconf(_SC_PAGESIZE));
    return size;
}
Address pageDown(Address a) { return a & ~(pageSize() - 1); }
Address pageUp(Address a) { return pageDown(a + pageSize() - 1); }

// The code and writable data (initialised data, zeroed data, relocated
// tables) of the objects that hold one of the addresses; their read-only
// data (text constants, unwinding tables) the frame path does not read.
struct Search {
    std::vector<Address> code;
    std::vector<Range> ranges;
};

bool holds(const dl_phdr_info& object, Address a) {
    for (int i = 0; i < object.dlpi_phnum; ++i) {
        const ElfW(Phdr)& segment = object.dlpi_phdr[i];
        const Address start = object.dlpi_addr + segment.p_vaddr;
        if (segment.p_type == PT_LOAD && a >= start && a < start + segment.p_memsz) return true;
    }
    return false;
}

int collect(dl_phdr_info* object, std::size_t, void* data) {
    Search& search = *static_cast<Search*>(data);
    if (std::none_of(search.code.begin(), search.code.end(), [object](Address a) { return holds(*object, a); }))
        return 0;
    for (int i = 0; i < object->dlpi_phnum; ++i) {
        const ElfW(Phdr)& segment = object->dlpi_phdr[i];
        if (segment.p_type != PT_LOAD || !(segment.p_flags & (PF_X | PF_W))) continue;
        const Address start = object->dlpi_addr + segment.p_vaddr;
        search.ranges.push_back({pageDown(start), pageUp(start + segment.p_memsz)});
    }
    return 0;
}

void lock(Range r, FrameMemory& result) {
    if (r.end <= r.begin) return;
    if (mlock(reinterpret_cast<const void*>(r.begin), r.end - r.begin) == 0) {
        result.lockedBytes += r.end - r.begin;
    } else if (!result.error) {
        result.error = {errno, std::generic_category()};
    }
}

Address stackTop() {
    pthread_attr_t attributes;
    if (pthread_getattr_np(pthread_self(), &attributes) != 0) return 0;
    void* base = nullptr;
    std::size_t size = 0;
    const bool known = pthread_attr_getstack(&attributes, &base, &size) == 0;
    pthread_attr_destroy(&attributes);
    return known ? reinterpret_cast<Address>(base) + size : 0;
}

// Touches the reserve below the caller, so that the stack reaches that far,
// and locks it with the rest of the stack above it.
[[gnu::noinline]] void lockStack(FrameMemory& result) {
    const Address top = stackTop();
    if (top == 0) {
        if (!result.error) result.error = std::make_error_code(std::errc::not_supported);
        return;
    }
    volatile char reserve[FrameStackReserve];
    for (std::size_t i = 0; i < sizeof reserve; i += pageSize()) reserve[i] = 0;
    lock({pageUp(reinterpret_cast<Address>(&reserve[0])), top}, result);
}

template <class F>
Address codeOf(F* function) {
    return reinterpret_cast<Address>(function);
}

} // namespace

FrameMemory lockFramePath(std::initializer_list<const void*> code) {
    Search search;
    for (const void* a : code) search.code.push_back(reinterpret_cast<Address>(a));
    // The line changes and the sleeps (the C library), the error codes of the
    // real-time request (the C++ runtime) and the port and the loop (here).
    search.code.push_back(codeOf(&::ioctl));
    search.code.push_back(codeOf(&::clock_nanosleep));
    search.code.push_back(codeOf(&std::generic_category));
    search.code.push_back(codeOf(&lockFramePath));
    dl_iterate_phdr(collect, &search);
    std::sort(search.ranges.begin(), search.ranges.end());
    search.ranges.erase(std::unique(search.ranges.begin(), search.ranges.end()), search.ranges.end());
    FrameMemory result;
    for (const Range& r : search.ranges) lock(r, result);
    lockStack(result);
    return result;
}

} // namespace zul::qt
