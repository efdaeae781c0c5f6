// File builtins against endless and special files, and byte strings with
// NUL on the output path.
#include "EngineTestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string Quote(const std::string& text) {
    return "\"" + text + "\"";
}

// A folder of its own, removed afterwards.
struct TempDir {
    TempDir() {
        char pattern[] = "/tmp/tessera-files-XXXXXX";
        path = mkdtemp(pattern);
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    std::string path;
};

TEST(FileBuiltins, ReadFileIsBoundedByTheStringLimit) {
    struct Case {
        const char* path;
        const char* expected; // what the script prints
    };
    const Case cases[] = {
        {"/dev/zero", "ReadFile: string too long (more than 100000 bytes)"},
        {"/proc/self/status", "read whole"}, // its size reads as 0
        {"/proc/self/cmdline", "read whole"},
    };
    for (const Case& c : cases) {
        std::string source = "try { string s = ReadFile(" + Quote(c.path) +
                             "); if (Len(s) > 0) Print(\"read whole\"); else Print(\"empty\"); } "
                             "catch (string e) { Print(e); }";
        ScriptRun run = RunScript(source, [](CScript& script) {
            CEngineLimits limits;
            limits.maxStringBytes = 100000;
            script.GetEngine()->SetLimits(limits);
        });
        EXPECT_EQ(run.out, std::string(c.expected) + "\n") << c.path << ": " << run.err;
    }
}

// Runs `source` on a thread of its own; returns false when it did not end
// within `limit`.
struct BackgroundRun {
    explicit BackgroundRun(const std::string& source) : script(&stream, &stream) {
        loaded = script.LoadSource("test.tsc", source.c_str()) != 0;
        worker = std::thread([this] {
            if (loaded)
                script.Run(1, nullptr);
            done = true;
        });
    }
    ~BackgroundRun() { worker.join(); }
    bool EndsWithin(std::chrono::milliseconds limit) {
        auto end = std::chrono::steady_clock::now() + limit;
        while (!done && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return done;
    }
    CCaptureStream stream;
    CScript script;
    bool loaded = false;
    std::atomic<bool> done{false};
    std::thread worker;
};

TEST(FileBuiltins, ReadFileOfAFifoWithoutWriterEndsOnStop) {
    TempDir dir;
    std::string fifo = dir.path + "/fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    BackgroundRun run("Print(ReadFile(" + Quote(fifo) + "));");
    ASSERT_TRUE(run.loaded);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    run.script.GetEngine()->GetInterpreter()->SetStopFlag();
    bool stopped = run.EndsWithin(std::chrono::seconds(5));
    if (!stopped) {
        // Unblock a reader stuck in open() so that the test ends.
        int fd = open(fifo.c_str(), O_WRONLY);
        if (fd >= 0)
            close(fd);
    }
    EXPECT_TRUE(stopped) << "Stop did not end a ReadFile waiting on a FIFO";
    run.EndsWithin(std::chrono::seconds(5));
    EXPECT_EQ(run.script.Outcome(), ScriptOutcome::Stopped);
}

TEST(FileBuiltins, ReadFileOfAFifoReadsWhatTheWriterWrites) {
    TempDir dir;
    std::string fifo = dir.path + "/fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    BackgroundRun run("Print(\"[\", ReadFile(" + Quote(fifo) + "), \"]\");");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    int fd = open(fifo.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "one ", 4), 4);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    ASSERT_EQ(write(fd, "two", 3), 3);
    close(fd);
    ASSERT_TRUE(run.EndsWithin(std::chrono::seconds(5)));
    EXPECT_EQ(run.stream.Out(), "[one two]\n");
}

// An endless source stops being read at the limit: the writer of a FIFO
// sees the reader go away after little more than the limit, instead of all
// it offers being taken into memory.
TEST(FileBuiltins, ReadFileStopsReadingAnEndlessSourceAtTheLimit) {
    TempDir dir;
    std::string fifo = dir.path + "/fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    signal(SIGPIPE, SIG_IGN);
    constexpr size_t kOffered = 64u << 20, kLimit = 100000;
    std::atomic<size_t> taken{0};
    std::thread writer([&] {
        int fd = open(fifo.c_str(), O_WRONLY);
        if (fd < 0)
            return;
        std::vector<char> block(64 * 1024, 'z');
        while (taken < kOffered) {
            ssize_t n = write(fd, block.data(), block.size());
            if (n <= 0)
                break;
            taken += static_cast<size_t>(n);
        }
        close(fd);
    });
    ScriptRun run =
        RunScript("try { ReadFile(" + Quote(fifo) + "); } catch (string e) { Print(e); }",
                  [](CScript& script) {
                      CEngineLimits limits;
                      limits.maxStringBytes = kLimit;
                      script.GetEngine()->SetLimits(limits);
                  });
    writer.join();
    EXPECT_EQ(run.out, "ReadFile: string too long (more than 100000 bytes)\n");
    EXPECT_LT(taken.load(), size_t{1} << 20) << "read far past the limit";
}

TEST(FileBuiltins, CopyFileLeavesNoTemporaryBehind) {
    TempDir dir;
    std::string a = dir.path + "/a", b = dir.path + "/b";
    ScriptRun run =
        RunScript("WriteFile(" + Quote(a) + ", \"text\");\nCopyFile(" + Quote(a) + ", " + Quote(b) +
                  ");\nWriteFile(" + Quote(b) + ", \"new\");\ntry { CopyFile(" + Quote(a) + ", " +
                  Quote(dir.path) + "); } catch (string e) { }");
    ASSERT_EQ(run.err, "");
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a", "b"}));
}

TEST(FileBuiltins, NulBytesReachTheStreamWhole) {
    struct Case {
        const char* source;
        std::string out;
        std::string err;
    };
    const Case cases[] = {
        {"Print(\"a\\0b\");\nWrite(\"c\\0\", \"d\");", std::string("a\0b\nc\0d", 7), ""},
        {"Write(Chr(0));", std::string(1, '\0'), ""},
        {"throw \"x\\0y\";", "", std::string("test.tsc:1: runtime error: x\0y\n", 31)},
    };
    for (const Case& c : cases) {
        ScriptRun run = RunScript(c.source);
        EXPECT_EQ(run.out, c.out) << c.source;
        EXPECT_EQ(run.err, c.err) << c.source;
    }
}

} // namespace
