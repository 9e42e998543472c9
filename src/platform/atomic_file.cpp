#include "platform/atomic_file.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace zul {

namespace fs = std::filesystem;

namespace {

class FileErrorCategory : public std::error_category {
public:
    const char* name() const noexcept override { return "zulmarin file"; }
    std::string message(int e) const override {
        switch (static_cast<FileError>(e)) {
        case FileError::NotRegularFile: return "it is not a regular file";
        case FileError::TooLarge: return "it is too large";
        }
        return "unknown file error";
    }
};

std::error_code lastError() { return {errno, std::generic_category()}; }

// A descriptor closed at scope end.
struct Fd {
    int fd = -1;
    explicit Fd(int f) : fd(f) {}
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    // Closes now, reporting what close says (a late write error shows here).
    std::error_code close() {
        const int f = fd;
        fd = -1;
        return ::close(f) == 0 ? std::error_code() : lastError();
    }
};

std::string nonFileText(mode_t mode) {
    if (S_ISDIR(mode)) return "it is a folder";
    if (S_ISFIFO(mode)) return "it is a named pipe";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "it is a device";
    if (S_ISSOCK(mode)) return "it is a socket";
    return "it is not a regular file";
}

FileRead failed(std::error_code error, std::string problem = {}) {
    FileRead r;
    r.error = error;
    r.problem = problem.empty() ? error.message() : std::move(problem);
    return r;
}

FileRead tooLarge(const FileLimit& limit) {
    return failed(FileError::TooLarge, "it is larger than " + sizeText(limit.maxBytes) + "; " + limit.reason);
}

std::error_code writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return lastError();
        done += static_cast<std::size_t>(n);
    }
    return {};
}

// The file a path finally names, following symbolic links (the last may
// dangle: the file it names is then created).
std::error_code resolveLinks(fs::path& file) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(file.c_str(), &st) != 0) return errno == ENOENT ? std::error_code() : lastError();
        if (!S_ISLNK(st.st_mode)) return {};
        std::error_code ec;
        const fs::path target = fs::read_symlink(file, ec);
        if (ec) return ec;
        file = target.is_absolute() ? target : file.parent_path() / target;
    }
    return std::make_error_code(std::errc::too_many_symbolic_link_levels);
}

// createTemporary names its files "." + the target's name (at most 200
// bytes of it) + "." + this many random letters and digits.
constexpr std::size_t TemporarySuffix = 8;

bool isTemporaryLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

// The target's name a temporary file was made for; "" when name is no such file's.
std::string temporaryTarget(const std::string& name) {
    if (name.size() < TemporarySuffix + 3 || name[0] != '.' || name[name.size() - TemporarySuffix - 1] != '.')
        return "";
    for (std::size_t i = name.size() - TemporarySuffix; i < name.size(); ++i)
        if (!isTemporaryLetter(name[i])) return "";
    return name.substr(1, name.size() - TemporarySuffix - 2);
}

// A new file beside target, made with O_EXCL | O_NOFOLLOW under a random name.
int createTemporary(const fs::path& target, mode_t mode, fs::path& made) {
    static const char* const letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937_64 random{std::random_device{}() ^ static_cast<std::uint64_t>(::getpid())};
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name(1, '.'); // built up, not '"." + string': GCC 12 warns on that at -O3
        name += target.filename().string().substr(0, 200);
        name += '.';
        for (int i = 0; i < 8; ++i) name += letters[random() % 62];
        made = target.parent_path() / name;
        const int fd = ::open(made.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

// Keeps the old file's owner and permission bits on its replacement.
void keepOwnerAndMode(int fd, const struct stat& old) {
    // Only root may give a file to another owner; anyone else's copy is simply theirs.
    if ((old.st_uid != ::geteuid() || old.st_gid != ::getegid()) && ::fchown(fd, old.st_uid, old.st_gid) != 0)
        errno = 0;
    ::fchmod(fd, old.st_mode & 07777);
}

void syncFolder(const fs::path& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

const std::error_category& fileErrorCategory() {
    static const FileErrorCategory category;
    return category;
}

std::error_code make_error_code(FileError e) { return {static_cast<int>(e), fileErrorCategory()}; }

std::string sizeText(std::uintmax_t bytes) {
    if (bytes >= 1024 * 1024 && bytes % (1024 * 1024) == 0) return std::to_string(bytes / (1024 * 1024)) + " MB";
    if (bytes >= 1024 && bytes % 1024 == 0) return std::to_string(bytes / 1024) + " KB";
    return std::to_string(bytes) + " bytes";
}

FileRead readDataFile(const fs::path& file, const FileLimit& limit) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) return failed(lastError());
    if (!S_ISREG(st.st_mode)) return failed(FileError::NotRegularFile, nonFileText(st.st_mode));
    if (static_cast<std::uintmax_t>(st.st_size) > limit.maxBytes) return tooLarge(limit);
    // Non-blocking, so a file swapped for a pipe since the check cannot hang us.
    Fd in(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (in.fd < 0) return failed(lastError());
    struct stat opened {};
    if (::fstat(in.fd, &opened) != 0) return failed(lastError());
    if (!S_ISREG(opened.st_mode)) return failed(FileError::NotRegularFile, nonFileText(opened.st_mode));
    FileRead r;
    r.bytes.resize(static_cast<std::size_t>(std::min<std::uintmax_t>(opened.st_size, limit.maxBytes)) + 1);
    std::size_t got = 0;
    for (;;) {
        if (got == r.bytes.size()) {
            // The file grew since it was measured: read on up to one byte past the limit.
            if (got > limit.maxBytes) return tooLarge(limit);
            r.bytes.resize(std::min<std::uintmax_t>(got * 2, limit.maxBytes + 1));
        }
        const ssize_t n = ::read(in.fd, r.bytes.data() + got, r.bytes.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return failed(lastError());
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    if (got > limit.maxBytes) return tooLarge(limit);
    r.bytes.resize(got);
    return r;
}

FileRead readFileTail(const fs::path& file, std::uintmax_t maxBytes) {
    Fd in(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (in.fd < 0) return failed(lastError());
    struct stat st {};
    if (::fstat(in.fd, &st) != 0) return failed(lastError());
    if (!S_ISREG(st.st_mode)) return failed(FileError::NotRegularFile, nonFileText(st.st_mode));
    const auto size = static_cast<std::uintmax_t>(st.st_size);
    const std::uintmax_t from = size > maxBytes ? size - maxBytes : 0;
    FileRead r;
    r.bytes.resize(static_cast<std::size_t>(size - from));
    std::size_t got = 0;
    while (got < r.bytes.size()) {
        const ssize_t n = ::pread(in.fd, r.bytes.data() + got, r.bytes.size() - got, static_cast<off_t>(from + got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return failed(lastError());
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    r.bytes.resize(got);
    return r;
}

std::error_code writableProblem(const fs::path& file) {
    fs::path target = file;
    if (const auto ec = resolveLinks(target)) return ec;
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0) {
        if (!S_ISREG(old.st_mode)) return FileError::NotRegularFile;
        if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return lastError();
    }
    // The replacement is made in the nearest folder that exists (the others are created).
    fs::path folder = target.parent_path();
    std::error_code ec;
    while (!folder.empty() && !fs::exists(folder, ec) && folder != folder.parent_path()) folder = folder.parent_path();
    if (::faccessat(AT_FDCWD, folder.empty() ? "." : folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) return lastError();
    return {};
}

std::error_code writeFileAtomically(const fs::path& file, const std::string& bytes) {
    fs::path target = file;
    if (const auto ec = resolveLinks(target)) return ec;
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode)) return FileError::NotRegularFile;
    // Renaming would get round a file the user may not write: refuse it as writing in place would.
    if (exists && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return lastError();

    fs::path tmp;
    Fd out(createTemporary(target, 0644, tmp));
    if (out.fd < 0) return lastError();
    if (exists) keepOwnerAndMode(out.fd, old);
    std::error_code ec = writeAll(out.fd, bytes);
    if (!ec && ::fsync(out.fd) != 0) ec = lastError();
    if (const auto closed = out.close(); !ec) ec = closed;
    if (!ec && std::rename(tmp.c_str(), target.c_str()) != 0) ec = lastError();
    if (ec) {
        ::unlink(tmp.c_str());
        return ec;
    }
    syncFolder(target.parent_path());
    return {};
}

std::error_code writeFileAtomically(const fs::path& file, const std::string& bytes, const FileLimit& limit) {
    if (bytes.size() > limit.maxBytes) return FileError::TooLarge;
    return writeFileAtomically(file, bytes);
}

std::vector<fs::path> removeStaleTemporaries(const fs::path& folder, const std::vector<std::string>& extensions,
                                             int minAgeSeconds) {
    std::vector<fs::path> removed;
    std::error_code ec;
    const auto now = fs::file_time_type::clock::now();
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path& path = it->path();
        const fs::path target = temporaryTarget(path.filename().string());
        if (target.empty() ||
            std::find(extensions.begin(), extensions.end(), target.extension().string()) == extensions.end())
            continue;
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) continue;
        std::error_code timeError;
        const auto changed = fs::last_write_time(path, timeError);
        if (timeError || now - changed < std::chrono::seconds(minAgeSeconds)) continue;
        if (::unlink(path.c_str()) == 0) removed.push_back(path);
    }
    return removed;
}

std::error_code appendFileAtomically(const fs::path& file, const std::string& bytes, const FileLimit& limit) {
    const FileRead old = readDataFile(file, limit);
    if (!old.ok() && !old.missing()) return old.error;
    return writeFileAtomically(file, old.bytes + bytes, limit);
}

std::error_code appendToFile(const fs::path& file, const std::string& bytes) {
    struct stat st {};
    if (::stat(file.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return FileError::NotRegularFile;
    Fd out(::open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0644));
    if (out.fd < 0) return lastError();
    if (::fstat(out.fd, &st) != 0) return lastError();
    if (!S_ISREG(st.st_mode)) return FileError::NotRegularFile;
    if (const auto ec = writeAll(out.fd, bytes)) return ec;
    return out.close();
}

FileStamp stampOf(const std::filesystem::path& file) {
    struct stat st {};
    if (file.empty() || ::stat(file.c_str(), &st) != 0) return {};
    const auto nanos = [](const timespec& t) { return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec; };
    return {true, nanos(st.st_mtim), nanos(st.st_ctim), static_cast<std::uint64_t>(st.st_size),
            static_cast<std::uint64_t>(st.st_ino)};
}

} // namespace zul
