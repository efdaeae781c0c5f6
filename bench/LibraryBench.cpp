// Loading and saving a library of 100,000 entries in a realistic shape:
// 10 top-level sets, each with 10 sets of 10 sets, each holding ~100 macros
// with texts of typical length. Prints the best of several runs and the peak
// resident memory of the process.
#include "library/MacroLibrary.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

CMacro Entry(const std::string& name, bool set, int serial) {
    CMacro macro;
    macro.name = name;
    macro.kind = set ? 2 : 1;
    if (!set) {
        macro.scriptFile = "/home/user/Wingmate/Scripts/" + name + ".tsc ARGS=1,\"two\"";
        macro.description = "Opens the weekly report, fills in the totals and mails it on.";
        if (serial % 7 == 0) {
            macro.triggerKey = "<CTRL><ALT><F" + std::to_string(serial % 12 + 1) + ">";
        }
        if (serial % 10 == 0) {
            macro.scheduleType = 2;
            macro.unit = serial % 5;
            macro.frequency = 1 + serial % 30;
            macro.startDate = "12\\1\\2026";
            macro.startTime = "9:30:0";
            macro.lastRunText = "Tuesday, December 01, 2026; at 09:30:00";
        }
    }
    return macro;
}

// Builds the tree through the public operations; returns the entry count.
int Build(CMacroLibrary& library) {
    int count = 1;
    library.InsertRecord(Entry("My Macros", true, 0), -1, InsertPosition::Into);
    int serial = 0;
    for (int a = 0; a < 10; ++a) {
        const int32_t top = library.InsertRecord(Entry("Set " + std::to_string(a), true, 0),
                                                 library.Root()->id, InsertPosition::Into);
        ++count;
        for (int b = 0; b < 10; ++b) {
            const int32_t mid = library.InsertRecord(
                Entry("Group " + std::to_string(b), true, 0), top, InsertPosition::Into);
            ++count;
            for (int c = 0; c < 10; ++c) {
                const int32_t leaf = library.InsertRecord(
                    Entry("Folder " + std::to_string(c), true, 0), mid, InsertPosition::Into);
                ++count;
                // Insert After the previous macro: Into would walk the child list.
                int32_t previous = 0;
                for (int m = 0; m < 99 && count < 100000; ++m) {
                    CMacro macro = Entry("macro_" + std::to_string(serial), false, serial);
                    ++serial;
                    previous = previous == 0
                                   ? library.InsertRecord(macro, leaf, InsertPosition::Into)
                                   : library.InsertRecord(macro, previous, InsertPosition::After);
                    ++count;
                }
            }
        }
    }
    return count;
}

double Millis(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Peak resident memory of this process image (VmHWM; unlike ru_maxrss it
// starts afresh after exec).
long PeakRssKb() {
    FILE* status = std::fopen("/proc/self/status", "r");
    if (!status)
        return 0;
    char line[256];
    long kb = 0;
    while (std::fgets(line, sizeof line, status))
        if (std::sscanf(line, "VmHWM: %ld kB", &kb) == 1)
            break;
    std::fclose(status);
    return kb;
}

// Loads the saved file in a fresh process so its peak memory is that of a
// program that starts and loads the library, not of the builder above.
int LoadOnly(const std::filesystem::path& dir) {
    const long base = PeakRssKb();
    CMacroLibrary loaded;
    loaded.File().SetPaths(dir.string());
    auto start = std::chrono::steady_clock::now();
    if (!loaded.Load())
        return 1;
    double best = Millis(std::chrono::steady_clock::now() - start);
    const long firstPeak = PeakRssKb();
    int entries = 0;
    CMacroLibrary::ForEachPreOrder(loaded.Root(), [&](CMacroNode&) { return ++entries > 0; });
    for (int run = 0; run < 4; ++run) {
        start = std::chrono::steady_clock::now();
        loaded.Load();
        best = std::min(best, Millis(std::chrono::steady_clock::now() - start));
    }
    std::printf("entries loaded     %d\n", entries);
    std::printf("load (best of 5)   %.1f ms\n", best);
    std::printf("load peak RSS      %.1f MB (process before loading: %.1f MB)\n",
                static_cast<double>(firstPeak) / 1024.0, static_cast<double>(base) / 1024.0);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--load")
        return LoadOnly(argv[2]);
    const auto dir = std::filesystem::temp_directory_path() /
                     ("wingmate-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    double bestSave = 1e9;
    int entries = 0;
    long savePeak = 0;
    {
        CMacroLibrary library;
        library.File().SetPaths(dir.string());
        Build(library);
        CMacroLibrary::ForEachPreOrder(library.Root(), [&](CMacroNode&) { return ++entries > 0; });
        for (int run = 0; run < 5; ++run) {
            const auto start = std::chrono::steady_clock::now();
            if (!library.Save()) {
                std::fprintf(stderr, "save failed\n");
                return 1;
            }
            bestSave = std::min(bestSave, Millis(std::chrono::steady_clock::now() - start));
        }
        savePeak = PeakRssKb();
    }
    const auto fileSize = std::filesystem::file_size(dir / "Macros.mcf");
    std::printf("entries built      %d\n", entries);
    std::printf("file size          %.1f MB\n", static_cast<double>(fileSize) / 1e6);
    std::printf("save (best of 5)   %.1f ms\n", bestSave);
    std::printf("build+save peak    %.1f MB\n", static_cast<double>(savePeak) / 1024.0);
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        execl("/proc/self/exe", "bench_library", "--load", dir.c_str(), nullptr);
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    std::filesystem::remove_all(dir);
    return 0;
}
