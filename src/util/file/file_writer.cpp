#include "util/file/file_writer.hpp"

#include <fcntl.h>

#include <cerrno>
#include <system_error>

#include "common/fatal.hpp"

namespace vorlent {

int open_output_file(const std::string& path) {
    if (path.find('\0') != std::string::npos) {
        // Shown as "\0": fatal texts travel as C strings and would end at it.
        std::string shown;
        for (char c : path) {
            if (c == '\0')
                shown.append("\\0");
            else
                shown.push_back(c);
        }
        fatal(format("BackendVerilog::phase_emit \u2014 cannot open {}: {}", shown,
                     "path contains a NUL byte"));
    }
    int fd;
    do {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        fatal(format("BackendVerilog::phase_emit \u2014 cannot open {}: {}", path,
                     std::generic_category().message(errno)));
    return fd;
}

FileWriter::FileWriter(std::string path, int fd)
    : path_(std::move(path)), writer_(fd, WRITER_CAPACITY) {
    buffer_.reserve(STAGING_THRESHOLD);
}

FileWriter::~FileWriter() {
    if (writer_.is_open()) drain_and_close();
}

void FileWriter::hand_over() {
    if (error_ == 0) {
        error_ = writer_.write_all(buffer_.data(), buffer_.size());
        if (error_ == 0) error_ = writer_.flush_buffer();
    }
    // Cleared after a failure too: nothing staged would be written anyway.
    buffer_.clear();
}

int FileWriter::drain_and_close() {
    hand_over();
    const int close_error = writer_.close();
    return error_ != 0 ? error_ : close_error;
}

void FileWriter::finish() {
    const int err = drain_and_close();
    if (err != 0)
        fatal(format("BackendVerilog::phase_emit \u2014 cannot write {}: {}", path_,
                     describe_write_error(err)));
}

}  // namespace vorlent
