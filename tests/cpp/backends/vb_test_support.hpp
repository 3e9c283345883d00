// Helpers of the Verilog-backend tests: temporary directories, file
// contents, the text one emitter call writes, standard output captured at
// the descriptor, and the external Verilog tools.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "util/file/file_writer.hpp"

namespace vorlent::testing {

class TempDir {
public:
    TempDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "vorlent_vb_XXXXXX").string();
        if (::mkdtemp(tmpl.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = tmpl;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& str() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// The text that `emit` writes through a FileWriter.
inline std::string written_by(const std::function<void(FileWriter&)>& emit) {
    TempDir dir;
    const std::string path = dir.file("piece.v");
    FileWriter fw(path, open_output_file(path));
    emit(fw);
    fw.finish();
    return read_file(path);
}

// Redirects descriptor 1 into a file for its lifetime; `text` reads what
// reached it so far.
class StdoutCapture {
public:
    StdoutCapture() : path_(dir_.file("stdout.txt")) {
        ::fflush(stdout);
        saved_ = ::dup(STDOUT_FILENO);
        const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(fd, STDOUT_FILENO);
        ::close(fd);
    }
    ~StdoutCapture() { restore(); }
    void restore() {
        if (saved_ < 0) return;
        ::fflush(stdout);
        ::dup2(saved_, STDOUT_FILENO);
        ::close(saved_);
        saved_ = -1;
    }
    std::string text() const { return read_file(path_); }

private:
    TempDir dir_;
    std::string path_;
    int saved_ = -1;
};

inline bool tool_available(const std::string& tool) {
    return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs a shell command; returns its exit status and, in `output`, what it
// printed on either stream.
inline int run_tool(const std::string& command, std::string& output) {
    TempDir dir;
    const std::string log = dir.file("tool.log");
    const int status = std::system((command + " >" + log + " 2>&1").c_str());
    output = read_file(log);
    return status;
}

}  // namespace vorlent::testing
