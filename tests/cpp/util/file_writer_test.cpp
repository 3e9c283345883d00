#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <exception>
#include <thread>
#include <vector>

#include "backends/vb_test_support.hpp"

using namespace vorlent;
using namespace vorlent::testing;

namespace {

off_t size_on_disk(const std::string& p) {
    struct stat st {};
    return ::stat(p.c_str(), &st) == 0 ? st.st_size : -1;
}

bool fd_is_open(int fd) { return ::fcntl(fd, F_GETFD) != -1; }

}  // namespace

TEST(FileWriterTest, StagedBytesReachTheFileInBatchesOfAtLeast4096) {
    TempDir dir;
    const std::string p = dir.file("a.v");
    OutputFile out(p);
    const std::string tmp = out.temp_path();
    FileWriter w(p, out.take_fd());
    w.write(std::string(4000, 'a'));
    w.write(std::string(95, 'b'));
    EXPECT_EQ(size_on_disk(tmp), 0);  // 4095 bytes stay staged
    w.write("c");
    EXPECT_EQ(size_on_disk(tmp), 4096);  // the write reaching 4096 hands over everything
    w.write("tail");
    EXPECT_EQ(size_on_disk(tmp), 4096);
    // A write larger than the writer's capacity, and one of exactly that
    // capacity after a small staged piece, go out at once.
    std::string big(10000, 'x');
    for (size_t i = 0; i < big.size(); ++i) big[i] = char('a' + i % 26);
    w.write(big);
    EXPECT_EQ(size_on_disk(tmp), 4096 + 4 + 10000);
    w.write("head");
    w.write(std::string(8192, 'y'));
    EXPECT_EQ(size_on_disk(tmp), 4096 + 4 + 10000 + 4 + 8192);
    EXPECT_EQ(size_on_disk(p), -1);  // the name waits for the whole text
    w.finish();
    out.commit();
    EXPECT_EQ(read_file(p), std::string(4000, 'a') + std::string(95, 'b') + "c" + "tail" + big +
                                "head" + std::string(8192, 'y'));
}

// A file takes its name, replacing the old one, only when it is whole; a
// writer abandoned by an unwinding error closes it, and the old file and its
// directory stay as they were.
TEST(FileWriterTest, OnlyAWholeFileTakesItsName) {
    TempDir dir;
    const std::string p = dir.file("out.v");
    for (const auto& [text, whole] :
         {std::pair{std::string("module m();\n"), true}, std::pair{std::string(5000, 'z'), false},
          std::pair{std::string("partial"), false}}) {
        std::ofstream(p) << "old";
        int fd = -1;
        {
            OutputFile out(p);
            fd = out.take_fd();
            FileWriter w(p, fd);
            w.write(text);
            if (whole) {
                w.finish();
                out.commit();
            }
        }
        EXPECT_FALSE(fd_is_open(fd));
        EXPECT_EQ(read_file(p), whole ? text : "old");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.str()), {}), 1);
    }
}

// The final name is never opened: what stands there and is not a regular
// file is refused by name, and a missing directory or a NUL byte leaves
// nothing behind.
TEST(FileWriterTest, OpenFailuresNameThePathAndTheReason) {
    TempDir dir;
    const std::string fifo = dir.file("fifo.v"), link = dir.file("link.v");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(::symlink("elsewhere.v", link.c_str()), 0);
    const std::string missing = dir.file("no_such_dir/top.v");
    const std::string with_nul = dir.file("cut") + std::string(1, '\0') + "rest.v";
    const std::string not_regular = ", not a regular file; remove it or write elsewhere";
    for (const auto& [path, shown, reason] : {
             // The file is new: what refuses it is its directory.
             std::tuple{missing, missing,
                        "no file can be made in directory " + dir.file("no_such_dir") +
                            ": No such file or directory"},
             std::tuple{dir.str(), dir.str(), "it is a directory" + not_regular},
             std::tuple{fifo, fifo, "it is a FIFO" + not_regular},
             std::tuple{link, link, "it is a symbolic link" + not_regular},
             std::tuple{std::string("/dev/null"), std::string("/dev/null"),
                        "it is a device" + not_regular},
             // Shown as "\0": fatal texts travel as C strings.
             std::tuple{with_nul, dir.file("cut") + "\\0rest.v",
                        std::string("path contains a NUL byte")},
         })
        EXPECT_FATAL(OutputFile{path},
                     format("BackendVerilog::phase_emit \u2014 cannot open {}: {}", shown, reason));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.str()), {}), 2);
}

// A refusal that is not the directory's does not blame it: with every
// descriptor of the process in use, the reason stands alone.
TEST(FileWriterTest, AnOpenRefusedForWantOfDescriptorsNamesNoDirectory) {
    TempDir dir;
    const std::string p = dir.file("top.v");
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &old), 0);
    rlimit low = old;
    low.rlim_cur = std::min<rlim_t>(old.rlim_cur, 256);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
    std::vector<int> held;
    for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;) held.push_back(fd);
    const int open_errno = errno;
    // Only the open runs short of descriptors: the sanitizers' runtime needs
    // some to check the exception it throws.
    std::exception_ptr stopped;
    try {
        OutputFile{p};
    } catch (...) {
        stopped = std::current_exception();
    }
    for (int fd : held) ::close(fd);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &old), 0);
    EXPECT_EQ(open_errno, EMFILE);
    ASSERT_TRUE(stopped);
    EXPECT_FATAL(
        std::rethrow_exception(stopped),
        format("BackendVerilog::phase_emit \u2014 cannot open {}: Too many open files", p));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.str()), {}), 0);
}

TEST(FileWriterTest, WriteFailuresAreReportedAtFinish) {
    const std::string full = "/dev/full";
    const auto open_full = [&] { return ::open(full.c_str(), O_WRONLY | O_CLOEXEC); };
    if (::access(full.c_str(), W_OK) != 0) GTEST_SKIP() << "no /dev/full";
    const std::string expected =
        "BackendVerilog::phase_emit \u2014 cannot write /dev/full: No space left on device";
    {
        // The failure happens at a hand-over; later writes go on silently.
        const int fd = open_full();
        FileWriter w(full, fd);
        w.write(std::string(5000, 'a'));
        w.write(std::string(5000, 'b'));
        EXPECT_FATAL(w.finish(), expected);
        EXPECT_FALSE(fd_is_open(fd));
    }
    {
        // A text too short for any hand-over fails only at the finish.
        FileWriter w(full, open_full());
        w.write("module m();\n");
        EXPECT_FATAL(w.finish(), expected);
    }
}

namespace {
void on_signal(int) {}
}  // namespace

// Writes interrupted by signals, before or after some bytes went through,
// still deliver every byte exactly once.
TEST(FileWriterSignalTest, InterruptedWritesDeliverEveryByteOnce) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
#ifdef F_SETPIPE_SZ
    ::fcntl(fds[1], F_SETPIPE_SZ, 4096);  // a small pipe blocks the writer more often
#endif

    struct sigaction sa {};
    sa.sa_handler = on_signal;  // no SA_RESTART: blocked writes return early
    struct sigaction old {};
    ASSERT_EQ(::sigaction(SIGUSR1, &sa, &old), 0);

    std::string data(200000, '\0');
    for (size_t i = 0; i < data.size(); ++i) data[i] = char(i * 7 % 251);

    std::atomic<bool> writing{true};
    const pthread_t writer_thread = ::pthread_self();
    std::string received;
    std::thread reader([&] {
        char chunk[1000];
        while (true) {
            if (writing) ::pthread_kill(writer_thread, SIGUSR1);
            std::this_thread::sleep_for(std::chrono::microseconds(200));
            const ssize_t n = ::read(fds[0], chunk, sizeof chunk);
            if (n <= 0) break;
            received.append(chunk, size_t(n));
        }
    });
    {
        FileWriter w("pipe", fds[1]);
        for (size_t off = 0; off < data.size(); off += 9000)
            w.write(std::string_view(data).substr(off, 9000));
        w.finish();
    }
    writing = false;
    reader.join();
    ::close(fds[0]);
    ::sigaction(SIGUSR1, &old, nullptr);
    EXPECT_EQ(received.size(), data.size());
    EXPECT_TRUE(received == data);
}
