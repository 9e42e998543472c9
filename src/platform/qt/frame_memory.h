#pragma once
// Keeps what a frame runs on in memory. A page of the sending code that the
// system has dropped (or a stack or data page it has swapped out) is read
// back from disk when the frame reaches it, and the line state of that moment
// lasts as long as the disk takes. Locking the few megabytes the frame path
// needs protects it within an ordinary user's memory-lock limit, where
// locking the whole process (every page of every library) would be refused
// and, where it is allowed, keeps tens of megabytes resident for nothing.
#include <cstddef>
#include <initializer_list>
#include <system_error>

namespace zul::qt {

// The stack kept below the caller: the event loop's and the sender's frames
// underneath it.
inline constexpr std::size_t FrameStackReserve = 256 * 1024;

struct FrameMemory {
    std::size_t lockedBytes = 0;
    std::error_code error; // the first range that could not be locked
};

// Locks, and so touches once, the calling thread's stack from
// FrameStackReserve below the caller up to its top, and the code and the
// static data of every loaded object (the program, a library) holding one of
// the given code addresses, of the C and C++ runtimes and of this platform
// code. Call it on the thread that sends, before its first frame, high in
// its stack. What could be locked stays locked when another range fails.
FrameMemory lockFramePath(std::initializer_list<const void*> code);

} // namespace zul::qt
