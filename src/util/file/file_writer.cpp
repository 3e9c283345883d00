#include "util/file/file_writer.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <system_error>
#include <utility>

#include "common/fatal.hpp"
#include "common/interrupt.hpp"

namespace vorlent {

namespace {

[[noreturn]] void cannot(std::string_view what, std::string_view path, std::string_view reason) {
    fatal(format("BackendVerilog::phase_emit \u2014 cannot {} {}: {}", what, path, reason));
}

std::string errno_text(int code) { return std::generic_category().message(code); }

// What stands at `path` if it is not a regular file, else nothing. The link
// itself is judged, not what it points to: the rename would replace the link.
const char* non_regular_kind(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return nullptr;  // absent, or the open will say why
    if (S_ISREG(st.st_mode)) return nullptr;
    if (S_ISDIR(st.st_mode)) return "a directory";
    if (S_ISFIFO(st.st_mode)) return "a FIFO";
    if (S_ISLNK(st.st_mode)) return "a symbolic link";
    if (S_ISSOCK(st.st_mode)) return "a socket";
    return "a device";
}

// The directory `path` names a file in.
std::string dir_of(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

// Why a new file at `path` could not be made. The file is a new one, so
// most refusals are the directory's (missing, not writable, on a read-only
// or full file system) and name it; others (too many open files, no
// memory) are the process's or the system's and stand alone.
std::string open_failure(const std::string& path, int code) {
    switch (code) {
        case ENOENT:
        case ENOTDIR:
        case EACCES:
        case EPERM:
        case EROFS:
        case ENOSPC:
        case EDQUOT:
        case ELOOP:
        case ENAMETOOLONG:
            return format("no file can be made in directory {}: {}", dir_of(path),
                          errno_text(code));
        default:
            return errno_text(code);
    }
}

// A short name of this process's own, so that it fits wherever `path` does.
std::string next_temp_path(const std::string& path) {
    static std::atomic<uint64_t> counter{0};
    return format("{}/.vorlent-{}-{}.tmp", dir_of(path), long(::getpid()), counter.fetch_add(1));
}

}  // namespace

OutputFile::OutputFile(std::string path) : path_(std::move(path)) {
    if (path_.find('\0') != std::string::npos) {
        // Shown as "\0": fatal texts travel as C strings and would end at it.
        std::string shown;
        for (char c : path_) {
            if (c == '\0')
                shown.append("\\0");
            else
                shown.push_back(c);
        }
        cannot("open", shown, "path contains a NUL byte");
    }
    if (const char* kind = non_regular_kind(path_))
        cannot("open", path_,
               format("it is {}, not a regular file; remove it or write elsewhere", kind));
    // O_EXCL: a new file, never one that something else put there first.
    for (;;) {
        temp_path_ = next_temp_path(path_);
        fd_ = ::open(temp_path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0) return;
        if (errno == EINTR)
            check_interrupt();
        else if (errno != EEXIST)
            cannot("open", path_, open_failure(path_, errno));
    }
}

OutputFile::~OutputFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_) ::unlink(temp_path_.c_str());
}

int OutputFile::take_fd() { return std::exchange(fd_, -1); }

void OutputFile::commit() {
    if (::rename(temp_path_.c_str(), path_.c_str()) != 0) cannot("write", path_, errno_text(errno));
    committed_ = true;
}

FileWriter::FileWriter(std::string path, int fd)
    : path_(std::move(path)), writer_(fd, WRITER_CAPACITY) {
    buffer_.reserve(STAGING_THRESHOLD);
}

FileWriter::~FileWriter() = default;

void FileWriter::hand_over() {
    check_interrupt();
    if (error_ == 0) {
        error_ = writer_.write_all(buffer_.data(), buffer_.size());
        if (error_ == 0) error_ = writer_.flush_buffer();
    }
    // Cleared after a failure too: nothing staged would be written anyway.
    buffer_.clear();
}

void FileWriter::finish() {
    hand_over();
    const int close_error = writer_.close();
    const int err = error_ != 0 ? error_ : close_error;
    if (err != 0) cannot("write", path_, describe_write_error(err));
}

}  // namespace vorlent
