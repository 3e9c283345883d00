// The one channel through which a module's Verilog text reaches its file.
// Emitters append many short pieces; the writer stages them and hands them to
// a buffered file writer in batches of at least `threshold` bytes, so a file
// sees few, large writes.
//
// Write failures are not reported piece by piece: the first one is
// remembered, later writes are dropped, and `finish` reports it as a fatal
// error, so a full disk never passes for a complete file.
//
// A module's file is written under a temporary name and renamed over its
// own name once whole (OutputFile), so an emit that stops half way leaves
// no file that looks complete.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "util/file/buffered_fd_writer.hpp"

namespace vorlent {

// A file being written in place of `path`. The text goes to a new file in the
// same directory, created exclusively under a hidden temporary name, so that
// nothing placed there beforehand (a FIFO, a link) can block the open or
// redirect the text; `commit` renames it over `path` once it is whole. Until
// then `path` is untouched. Without `commit` (an error or an interrupt is
// unwinding), the destructor removes the temporary file.
//
// The new file has mode 0666 less the umask; an old file at `path` is
// replaced, not rewritten, so its mode is not kept.
class OutputFile {
public:
    // Stops with "BackendVerilog::phase_emit — cannot open {path}: {reason}"
    // when `path` holds a NUL byte (a C-string call would cut it short and
    // name another file), when it exists and is not a regular file (a
    // directory, FIFO, device, socket or symbolic link: the rename would
    // fail, or replace something the caller did not mean to lose), and when
    // the temporary file cannot be made, naming the directory when it is the
    // reason ("no file can be made in directory {dir}: {reason}": a missing
    // directory, no permission) and giving the system's reason alone when
    // it is not (too many open files).
    explicit OutputFile(std::string path);
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    // The temporary file's descriptor, once, for the FileWriter that owns it.
    int take_fd();
    const std::string& temp_path() const { return temp_path_; }

    // Renames the temporary file over `path`; call after the writer has
    // finished. Stops with "BackendVerilog::phase_emit — cannot write {path}:
    // {reason}" when the rename fails (the temporary file is then removed).
    void commit();

private:
    std::string path_;
    std::string temp_path_;
    int fd_ = -1;
    bool committed_ = false;
};

class FileWriter {
public:
    static constexpr size_t WRITER_CAPACITY = 8192;
    static constexpr size_t STAGING_THRESHOLD = 4096;

    // Takes ownership of `fd`, open for writing; `path` names the file in
    // messages.
    FileWriter(std::string path, int fd);
    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;
    // Without `finish` the text is being abandoned (an error or an interrupt
    // is unwinding): closes the file and drops what it holds, so that no
    // write can block while the call stops.
    ~FileWriter();

    // Appends bytes in call order; never fails by itself. Each hand-over
    // asks the interrupt check, so a long text can be stopped.
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

    std::string path_;
    BufferedFdWriter writer_;
    std::vector<char> buffer_;
    size_t threshold_ = STAGING_THRESHOLD;
    int error_ = 0;  // first failure, see BufferedFdWriter
};

}  // namespace vorlent
