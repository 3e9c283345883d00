#include "util/file/buffered_fd_writer.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

#include "common/interrupt.hpp"

namespace vorlent {

int write_fd_all(int fd, const char* data, size_t n, size_t& written) {
    written = 0;
    while (written < n) {
        const ssize_t r = ::write(fd, data + written, n - written);
        if (r < 0) {
            if (errno != EINTR) return errno;
        } else if (r == 0) {
            return BufferedFdWriter::WRITE_ZERO;
        } else {
            written += size_t(r);
        }
        // Interrupted, or cut short (by a signal, or a pipe that is full):
        // the next write may block until a reader comes, so the user's
        // Ctrl-C must be able to end it here.
        if (written < n) check_interrupt();
    }
    return 0;
}

std::string describe_write_error(int code) {
    if (code == BufferedFdWriter::WRITE_ZERO) return "the system accepted no bytes";
    // Thread-safe, unlike strerror, and the same text.
    return std::generic_category().message(code);
}

BufferedFdWriter::BufferedFdWriter(int fd, size_t capacity)
    : fd_(fd), capacity_(capacity), buf_(new char[capacity]) {}

BufferedFdWriter::~BufferedFdWriter() { close(); }

int BufferedFdWriter::write_all(const char* data, size_t n) {
    const size_t free_space = capacity_ - len_;
    if (n < free_space) {
        std::memcpy(buf_.get() + len_, data, n);
        len_ += n;
        return 0;
    }
    if (n > free_space) {
        if (const int err = flush_buffer()) return err;
    }
    if (n >= capacity_) {
        size_t written = 0;
        return write_fd_all(fd_, data, n, written);
    }
    std::memcpy(buf_.get() + len_, data, n);
    len_ += n;
    return 0;
}

int BufferedFdWriter::flush_buffer() {
    size_t written = 0;
    const int err = write_fd_all(fd_, buf_.get(), len_, written);
    if (written > 0) {
        std::memmove(buf_.get(), buf_.get() + written, len_ - written);
        len_ -= written;
    }
    return err;
}

int BufferedFdWriter::close() {
    if (fd_ < 0) return 0;
    const int fd = fd_;
    fd_ = -1;
    // On Linux the descriptor is released even when close is interrupted,
    // so EINTR is neither repeated nor a failure.
    if (::close(fd) != 0 && errno != EINTR) return errno;
    return 0;
}

}  // namespace vorlent
