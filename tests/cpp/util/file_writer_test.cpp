#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <thread>

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
    FileWriter w(p, open_output_file(p));
    w.write(std::string(4000, 'a'));
    w.write(std::string(95, 'b'));
    EXPECT_EQ(size_on_disk(p), 0);  // 4095 bytes stay staged
    w.write("c");
    EXPECT_EQ(size_on_disk(p), 4096);  // the write reaching 4096 hands over everything
    w.write("tail");
    EXPECT_EQ(size_on_disk(p), 4096);
    // A write larger than the writer's capacity, and one of exactly that
    // capacity after a small staged piece, go out at once.
    std::string big(10000, 'x');
    for (size_t i = 0; i < big.size(); ++i) big[i] = char('a' + i % 26);
    w.write(big);
    EXPECT_EQ(size_on_disk(p), 4096 + 4 + 10000);
    w.write("head");
    w.write(std::string(8192, 'y'));
    EXPECT_EQ(size_on_disk(p), 4096 + 4 + 10000 + 4 + 8192);
    w.finish();
    EXPECT_EQ(read_file(p), std::string(4000, 'a') + std::string(95, 'b') + "c" + "tail" + big +
                                "head" + std::string(8192, 'y'));
}

// A short text waits for the finish, a full batch leaves nothing staged,
// and unwinding without a finish still writes; an open truncates.
TEST(FileWriterTest, FinishOrDestructionWritesTheRestAndCloses) {
    TempDir dir;
    for (const auto& [text, finish] :
         {std::pair{std::string("module m();\n"), true}, std::pair{std::string(4096, 'z'), true},
          std::pair{std::string("partial"), false}}) {
        const std::string p = dir.file("out.v");
        std::ofstream(p) << std::string(5000, 'o');
        const int fd = open_output_file(p);
        {
            FileWriter w(p, fd);
            w.write(text);
            EXPECT_EQ(size_on_disk(p), text.size() < 4096 ? 0 : off_t(text.size()));
            if (finish) w.finish();
        }
        EXPECT_FALSE(fd_is_open(fd));
        EXPECT_EQ(read_file(p), text);
    }
}

TEST(FileWriterTest, OpenFailuresNameThePathAndTheReason) {
    TempDir dir;
    const std::string missing = dir.file("no_such_dir/top.v");
    EXPECT_FATAL(
        open_output_file(missing),
        format("BackendVerilog::phase_emit \u2014 cannot open {}: No such file or directory",
               missing));
    EXPECT_FATAL(
        open_output_file(dir.str()),
        format("BackendVerilog::phase_emit \u2014 cannot open {}: Is a directory", dir.str()));

    // A NUL would cut a C-string path short: refused, and nothing is created.
    // The NUL shows as "\0", since fatal texts travel as C strings.
    const std::string with_nul = dir.file("cut") + std::string(1, '\0') + "rest.v";
    EXPECT_FATAL(
        open_output_file(with_nul),
        format(
            "BackendVerilog::phase_emit \u2014 cannot open {}\\0rest.v: path contains a NUL byte",
            dir.file("cut")));
    EXPECT_TRUE(std::filesystem::is_empty(dir.str()));
}

TEST(FileWriterTest, WriteFailuresAreReportedAtFinish) {
    const std::string full = "/dev/full";
    if (::access(full.c_str(), W_OK) != 0) GTEST_SKIP() << "no /dev/full";
    const std::string expected =
        "BackendVerilog::phase_emit \u2014 cannot write /dev/full: No space left on device";
    {
        // The failure happens at a hand-over; later writes go on silently.
        const int fd = open_output_file(full);
        FileWriter w(full, fd);
        w.write(std::string(5000, 'a'));
        w.write(std::string(5000, 'b'));
        EXPECT_FATAL(w.finish(), expected);
        EXPECT_FALSE(fd_is_open(fd));
    }
    {
        // A text too short for any hand-over fails only at the finish.
        FileWriter w(full, open_output_file(full));
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
