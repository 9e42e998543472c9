#include "platform/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace zul {

std::error_code writeFileAtomically(const std::filesystem::path& file, const std::string& bytes) {
    const std::filesystem::path tmp = file.string() + ".tmp" + std::to_string(::getpid());
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return {errno, std::generic_category()};
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            const std::error_code ec{errno, std::generic_category()};
            ::close(fd);
            ::unlink(tmp.c_str());
            return ec;
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        const std::error_code ec{errno, std::generic_category()};
        ::unlink(tmp.c_str());
        return ec;
    }
    if (std::rename(tmp.c_str(), file.c_str()) != 0) {
        const std::error_code ec{errno, std::generic_category()};
        ::unlink(tmp.c_str());
        return ec;
    }
    return {};
}

bool readWholeFile(const std::filesystem::path& file, std::string& bytes) {
    // A folder opens like a file but reads as nothing; it is no data file.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return false;
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    bytes = s.str();
    return !in.bad();
}

std::error_code appendFileAtomically(const std::filesystem::path& file, const std::string& bytes) {
    std::string old;
    std::error_code ec;
    if (std::filesystem::exists(file, ec) && !readWholeFile(file, old)) return std::make_error_code(std::errc::io_error);
    return writeFileAtomically(file, old + bytes);
}

} // namespace zul
