// Helpers of the Verilog-backend tests: temporary directories, file
// contents, the text one emitter call writes, standard output captured at
// the descriptor, and events built by hand.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "hw_component/hcp_test_support.hpp"
#include "model/arena_insert.hpp"
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
    OutputFile out(path);
    FileWriter fw(path, out.take_fd());
    emit(fw);
    fw.finish();
    out.commit();
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

inline void add_event(ModelArena& m, const HcpIdent& des, UpdateEventIdent ue) {
    get_hcp_assign_mut(m, des).add_update_event(std::move(ue));
}

// Composite events at priority 10, rising-edge clocked when `clk` is given,
// clock-free otherwise.
inline UeCommon common_of(UeType type, std::optional<HcpIdent> clk) {
    const ClockMode mode = clk ? ClockMode::PosEdge : ClockMode::ClkFree;
    return UeCommon{std::move(clk), 0, 10, type, mode};
}
inline UpdateEventIdent cond_event(ModelArena& m, std::vector<std::optional<HcpIdent>> conds,
                                   std::vector<std::optional<UpdateEventIdent>> subs,
                                   std::optional<HcpIdent> clk = std::nullopt) {
    UeCond c;
    c.ident = UpdateEventIdent::make(UeType::Cond);
    c.common = common_of(UeType::Cond, std::move(clk));
    c.conds = {conds.begin(), conds.end()};
    c.sub_stmts = {subs.begin(), subs.end()};
    return insert_ue(m, std::move(c));
}
inline UpdateEventIdent switch_event(ModelArena& m, const HcpIdent& sel,
                                     std::vector<int32_t> labels,
                                     std::vector<std::optional<UpdateEventIdent>> subs,
                                     std::optional<HcpIdent> clk = std::nullopt) {
    UeSwitch s;
    s.ident = UpdateEventIdent::make(UeType::Switch);
    s.common = common_of(UeType::Switch, std::move(clk));
    s.selector = sel;
    s.sub_stmt_idxs = std::move(labels);
    s.sub_stmts = std::move(subs);
    return insert_ue(m, std::move(s));
}
inline UpdateEventIdent grp_event(ModelArena& m, std::vector<UpdateEventIdent> members,
                                  std::optional<HcpIdent> clk = std::nullopt) {
    UeGrp g;
    g.ident = UpdateEventIdent::make(UeType::Grp);
    g.common = common_of(UeType::Grp, std::move(clk));
    g.events = std::move(members);
    return insert_ue(m, std::move(g));
}

// Whether every element of kind T is in its slot (none left taken out by a
// call that stopped).
template <class T>
bool none_taken(const ModelArena& m) {
    for (size_t i = 0; i < m.arena<T>().size(); ++i)
        if (m.arena<T>().is_taken(i)) return false;
    return true;
}

// Runs `make` with `module` traced at CompInit.
template <class F>
auto traced_in(ModelArena& m, const ModuleIdent& module, F make) {
    push_module_trace(m, module, ModuleInitStage::CompInit);
    auto out = make();
    pop_module_trace(m);
    return out;
}

}  // namespace vorlent::testing
