// The one channel through which a module's Verilog text reaches its file.
// Emitters append many short pieces; the writer stages them and hands them to
// a buffered file writer in batches of at least `threshold` bytes, so a file
// sees few, large writes.
//
// Write failures are not reported piece by piece: the first one is
// remembered, later writes are dropped, and `finish` reports it as a fatal
// error, so a full disk never passes for a complete file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "util/file/buffered_fd_writer.hpp"

namespace vorlent {

// Opens `path` for writing, creating or truncating it, mode 0666 before the
// umask; creates no directory. Returns the descriptor. Stops with
// "BackendVerilog::phase_emit — cannot open {path}: {reason}" when the open
// fails or when the path holds a NUL byte (which a C-string open would cut
// short, silently naming another file).
int open_output_file(const std::string& path);

class FileWriter {
public:
    static constexpr size_t WRITER_CAPACITY = 8192;
    static constexpr size_t STAGING_THRESHOLD = 4096;

    // Takes ownership of `fd`, opened for writing by open_output_file.
    FileWriter(std::string path, int fd);
    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;
    // Without `finish` (a fatal error is unwinding): writes out what it
    // holds and closes the file, reporting nothing.
    ~FileWriter();

    // Appends bytes in call order; never fails by itself.
    void write(std::string_view bytes) {
        buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
        if (buffer_.size() >= threshold_) hand_over();
    }

    // Writes out everything still held, closes the file, and stops with
    // "BackendVerilog::phase_emit — cannot write {path}: {reason}" if any
    // write or the close failed. The writer must not be used afterwards.
    void finish();

    const std::string& path() const { return path_; }

private:
    // Hands the staged bytes to `writer_` and writes its buffer out. After the
    // first failure nothing more is written.
    void hand_over();
    // Hand-over of whatever is staged, then close; returns the first error.
    int drain_and_close();

    std::string path_;
    BufferedFdWriter writer_;
    std::vector<char> buffer_;
    size_t threshold_ = STAGING_THRESHOLD;
    int error_ = 0;  // first failure, see BufferedFdWriter
};

}  // namespace vorlent
