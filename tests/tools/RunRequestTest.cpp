// "wingmatectl run": the request line, resolving the target, queueing, and
// the command against a listening socket and against none.

#include "program/RunRequest.h"
#include "Commands.h"
#include "program/StatusRequest.h"
#include "fakes/FakeKeyHook.h"
#include "fakes/TestSupport.h"
#include "library/MacroLibrary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class RunRequest : public ::testing::Test {
protected:
    void SetUp() override {
        root = Add("My Macros", -1, 2);
        set = Add("Daily", root, 2);
        backup = Add("Backup", set);
        numbered = Add("42", root);
    }
    int32_t Add(const std::string& name, int32_t parent, int32_t kind = 1) {
        CMacro macro;
        macro.name = name;
        macro.kind = kind;
        return library.InsertRecord(macro, parent, InsertPosition::Into);
    }
    CMacroLibrary library;
    int32_t root = 0, set = 0, backup = 0, numbered = 0;
};

TEST_F(RunRequest, ParsesOnlyRunLinesWithATarget) {
    EXPECT_EQ(ParseRunRequest("run Backup"), std::optional<std::string>("Backup"));
    EXPECT_EQ(ParseRunRequest("run   My Backup  \r"), std::optional<std::string>("My Backup"));
    EXPECT_EQ(ParseRunRequest("run"), std::nullopt);
    EXPECT_EQ(ParseRunRequest("run   "), std::nullopt);
    EXPECT_EQ(ParseRunRequest("runner x"), std::nullopt);
    EXPECT_EQ(ParseRunRequest("show"), std::nullopt);
}

TEST_F(RunRequest, ResolvesIdsFirstThenNames) {
    std::string why;
    EXPECT_EQ(ResolveRunTarget(library, std::to_string(backup), why), backup);
    EXPECT_EQ(ResolveRunTarget(library, "Backup", why), backup);
    // "42" is no id here, so it names the macro called "42".
    EXPECT_EQ(ResolveRunTarget(library, "42", why), numbered);
    EXPECT_EQ(ResolveRunTarget(library, "Daily", why), 0);
    EXPECT_EQ(why, "\"Daily\" is a macro set");
    EXPECT_EQ(ResolveRunTarget(library, "99999999999", why), 0);
    EXPECT_EQ(ResolveRunTarget(library, "Nothing", why), 0);
    EXPECT_NE(why.find("Nothing"), std::string::npos);
}

// The names offered for completion are exactly those that run the entry
// they belong to.
TEST_F(RunRequest, OffersOnlyNamesThatRunTheirEntry) {
    Add("Back up", root);
    Add("Backup", root);               // a second "Backup" runs the first
    Add("Daily", root);                // the set of that name comes first
    Add(" padded", root);              // the request trims it away
    Add("Line\nbreak", root);          // cannot travel in a request line
    Add(std::to_string(backup), root); // names another entry by id
    auto sorted = [](std::vector<std::string> names) {
        std::sort(names.begin(), names.end());
        return names;
    };
    EXPECT_EQ(sorted(RunTargetNames(library, "")),
              (std::vector<std::string>{"42", "Back up", "Backup"}));
    EXPECT_EQ(sorted(RunTargetNames(library, "Back")),
              (std::vector<std::string>{"Back up", "Backup"}));
    EXPECT_TRUE(RunTargetNames(library, "back").empty());
    std::string why;
    for (const std::string& name : RunTargetNames(library, ""))
        EXPECT_EQ(library.FindById(ResolveRunTarget(library, name, why))->name, name) << name;
}

TEST_F(RunRequest, QueuesLikeExecuteAndSaysWhyNot) {
    CRecordingMacroStarter queue;
    RunRequestOutcome outcome = QueueRunRequest(library, queue, "Backup");
    EXPECT_TRUE(outcome.queued);
    EXPECT_EQ(outcome.answer, "queued\t" + std::to_string(backup) + "\tBackup");
    // The caller starts the head after answering.
    EXPECT_EQ(queue.calls, std::vector<std::string>{"Enqueue " + std::to_string(backup)});

    outcome = QueueRunRequest(library, queue, "Daily");
    EXPECT_FALSE(outcome.queued);
    EXPECT_EQ(outcome.answer, "refused\t\"Daily\" is a macro set");
}

// A stand-in for the running program: answers one request line.
class FakeInstance {
public:
    FakeInstance(const std::string& path, std::string reply, std::string& request) {
        fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
        EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(::listen(fd, 1), 0);
        server = std::thread([this, reply, &request] {
            const int client = ::accept(fd, nullptr, nullptr);
            char buffer[256];
            std::string line;
            while (line.find('\n') == std::string::npos) {
                const ssize_t n = ::read(client, buffer, sizeof buffer);
                if (n <= 0)
                    break;
                line.append(buffer, size_t(n));
            }
            request = line;
            const ssize_t written = ::write(client, reply.data(), reply.size());
            (void)written;
            ::close(client);
        });
    }
    ~FakeInstance() {
        server.join();
        ::close(fd);
    }

private:
    int fd = -1;
    std::thread server;
};

// A listener of another user (uid 65534) at the socket's place is sent
// nothing, whether the socket file is theirs or was made to look like ours.
TEST(InstanceRequest, ProgramOfAnotherUserIsRefused) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "acting as another user needs root";
    const fs::path dir = fs::temp_directory_path() / ("ctlforeign-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    fs::permissions(dir, fs::perms::all); // the other user may make its socket here
    const std::string path = (dir / "wingmate.sock").string();
    for (const bool fileLooksOurs : {false, true}) {
        fs::remove(path);
        int ready[2], report[2];
        ASSERT_EQ(::pipe(ready), 0);
        ASSERT_EQ(::pipe(report), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(2);
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
            if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
                ::listen(fd, 1) != 0)
                ::_exit(3);
            (void)!::write(ready[1], "r", 1);
            const int client = ::accept(fd, nullptr, nullptr);
            ssize_t total = 0, n = 0;
            char buffer[256];
            while ((n = ::read(client, buffer, sizeof buffer)) > 0)
                total += n;
            (void)!::write(report[1], &total, sizeof total);
            ::_exit(0);
        }
        char byte = 0;
        ASSERT_EQ(::read(ready[0], &byte, 1), 1);
        if (fileLooksOurs) {
            ASSERT_EQ(::chown(path.c_str(), 0, 0), 0);
        }
        std::string answer, error;
        bool reached = false;
        EXPECT_FALSE(SendInstanceRequest(path, "run Backup", answer, error, reached, 1000));
        EXPECT_TRUE(reached);
        EXPECT_NE(error.find(fileLooksOurs ? "runs as uid 65534" : "is owned by uid 65534"),
                  std::string::npos)
            << error;
        if (fileLooksOurs) {
            ssize_t received = -1;
            ASSERT_EQ(::read(report[0], &received, sizeof received),
                      static_cast<ssize_t>(sizeof received));
            EXPECT_EQ(received, 0);
        }
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        for (const int fd : {ready[0], ready[1], report[0], report[1]})
            ::close(fd);
    }
    fs::remove_all(dir);
}

class RunCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("ctlrun-" + std::to_string(::getpid()));
        fs::create_directories(dir / "wingmate");
        // Only a private runtime folder is used.
        fs::permissions(dir, fs::perms::owner_all);
        fs::permissions(dir / "wingmate", fs::perms::owner_all);
        sock = (dir / "wingmate" / "wingmate.sock").string();
        const char* old = std::getenv("XDG_RUNTIME_DIR");
        saved = old ? old : "";
        ::setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    }
    void TearDown() override {
        ::setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
        fs::remove_all(dir);
    }
    int Run(const std::vector<std::string>& args) {
        out.str("");
        err.str("");
        return RunWingmateCtl(args, CtlStreams{out, err});
    }
    fs::path dir;
    std::string sock;
    std::string saved;
    std::ostringstream out, err;
};

TEST_F(RunCommandTest, WithNoProgramRunningItSaysSoAndFails) {
    EXPECT_EQ(Run({"run", "Backup"}), 1);
    EXPECT_EQ(err.str(), "Wingmate is not running.\n");
    EXPECT_EQ(Run({"run"}), 2);
    EXPECT_EQ(Run({"run", "a", "b"}), 2);
}

TEST_F(RunCommandTest, PrintsWhetherTheMacroWasQueued) {
    std::string request;
    {
        FakeInstance instance(sock, "queued\t7\tBack up\n", request);
        EXPECT_EQ(Run({"run", "Back up"}), 0);
        EXPECT_EQ(out.str(), "Queued \"Back up\" (id 7).\n");
    }
    EXPECT_EQ(request, "run Back up\n");
    fs::remove(sock);
    {
        FakeInstance instance(sock, "refused\tthe run queue is full\n", request);
        EXPECT_EQ(Run({"run", "7"}), 1);
        EXPECT_EQ(err.str(), "Not queued: the run queue is full\n");
    }
    EXPECT_EQ(request, "run 7\n");
}

} // namespace

// ---- status ----

TEST(StatusAnswer, SurvivesTheLineWithAwkwardNames) {
    InstanceStatus status;
    status.schedulerEnabled = false;
    status.running = InstanceStatus::Entry{3, "Back up"};
    status.queued = {{5, "Tab\there"}, {6, ""}};
    const std::string line = FormatStatusAnswer(status);
    EXPECT_EQ(line.find('\n'), std::string::npos);
    const auto parsed = ParseStatusAnswer(line);
    ASSERT_TRUE(parsed);
    status.queued[0].name = "Tab here"; // a tab would split the field
    EXPECT_EQ(*parsed, status);
    InstanceStatus idle;
    EXPECT_EQ(ParseStatusAnswer(FormatStatusAnswer(idle)), idle);
    // A desktop where no hook works: never "enabled", and the reason travels.
    InstanceStatus noHook;
    noHook.triggersEnabled = false;
    noHook.triggersUnavailable = "Trigger keys are unavailable: no key hook on this desktop.";
    EXPECT_EQ(ParseStatusAnswer(FormatStatusAnswer(noHook)), noHook);
    std::ostringstream text;
    PrintStatusText(noHook, text);
    EXPECT_NE(text.str().find("\nTriggers: unavailable: no key hook on this desktop.\n"),
              std::string::npos);
    for (const char* bad :
         {"", "status", "status\t1\t1\t0", "status\t2\t1\t0\t", "queued\t1\t1\t0\t",
          "status\t1\t1\tx\t", "status\t1\t1\t0\t\t5", "status\t1\t!\t0\t"})
        EXPECT_EQ(ParseStatusAnswer(bad), std::nullopt) << bad;
}

TEST_F(RunCommandTest, StatusAsksTheProgramAndPrintsTextOrJson) {
    EXPECT_EQ(Run({"status"}), 1);
    EXPECT_EQ(err.str(), "Wingmate is not running.\n");
    EXPECT_EQ(out.str(), "");
    // Asked for JSON, a script gets JSON also when nothing answers.
    EXPECT_EQ(Run({"status", "--json"}), 1);
    EXPECT_EQ(out.str(), "{\"running\": false, \"error\": \"Wingmate is not running.\"}\n");
    std::string request;
    const std::string reply = "status\t1\t0\t7\tBack up\t9\tSay \"hi\"\n";
    {
        FakeInstance instance(sock, reply, request);
        EXPECT_EQ(Run({"status"}), 0) << err.str();
        EXPECT_EQ(out.str(), "Wingmate is running.\nRunning: \"Back up\" (id 7)\n"
                             "Queued: \"Say \"hi\"\" (id 9)\nScheduler: enabled\n"
                             "Triggers: disabled\n");
    }
    EXPECT_EQ(request, "status\n");
    fs::remove(sock);
    {
        FakeInstance instance(sock, reply, request);
        EXPECT_EQ(Run({"status", "--json"}), 0) << err.str();
        EXPECT_EQ(out.str(), "{\"running\": true, \"macro\": {\"id\": 7, \"name\": \"Back up\"}, "
                             "\"queued\": [{\"id\": 9, \"name\": \"Say \\\"hi\\\"\"}], "
                             "\"schedulerEnabled\": true, \"triggersEnabled\": false}\n");
    }
    EXPECT_EQ(Run({"status", "extra"}), 2);
}
