// A buffered writer over a POSIX file descriptor that it owns. Small writes
// are gathered in a fixed buffer; a write at least as large as the buffer
// goes to the file directly. Failures are returned as codes, never thrown:
// the caller decides whether and when to report them. Only a stop the user
// asked for while a write waits is thrown (Interrupted).
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace vorlent {

class BufferedFdWriter {
public:
    // Result of an operation: 0 on success, else an errno value or
    // WRITE_ZERO (the system accepted no byte of a non-empty write).
    static constexpr int WRITE_ZERO = -1;

    // Takes ownership of `fd`, which must be open for writing.
    BufferedFdWriter(int fd, size_t capacity);
    BufferedFdWriter(const BufferedFdWriter&) = delete;
    BufferedFdWriter& operator=(const BufferedFdWriter&) = delete;
    // Closes the descriptor if it is still open; buffered bytes are dropped.
    ~BufferedFdWriter();

    // Writes all `n` bytes: copied into the buffer when they fit in its free
    // space; otherwise the buffer is written out first, then the bytes are
    // copied (fewer than the capacity) or written to the file directly.
    int write_all(const char* data, size_t n);

    // Writes out every buffered byte. On failure the bytes not yet written
    // stay buffered, moved to the front, so none is ever written twice.
    int flush_buffer();

    // Closes the descriptor without writing out the buffer. Returns the
    // close error, if any.
    int close();

    size_t buffered() const { return len_; }
    bool is_open() const { return fd_ >= 0; }

private:
    int fd_;
    size_t capacity_;
    size_t len_ = 0;
    std::unique_ptr<char[]> buf_;
};

// Writes all `n` bytes to `fd`, going on after short writes and repeating
// writes interrupted by a signal, unless the interrupt check says stop (then
// it throws Interrupted). `written` receives the number of bytes that reached
// the file, also on failure.
int write_fd_all(int fd, const char* data, size_t n, size_t& written);

// The system's text for an error code of BufferedFdWriter.
std::string describe_write_error(int code);

}  // namespace vorlent
