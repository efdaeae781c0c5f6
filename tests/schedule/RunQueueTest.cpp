#include "schedule/RunQueue.h"

#include "ScheduleTestUtil.h"
#include "fakes/FakeRunQueue.h"
#include "fakes/Fakes.h"
#include "fakes/ScopedTimeZone.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

const std::string kQueueFull = "Error: More than maximum 5 macros scheduled to run";

class RunQueueTest : public ::testing::Test {
protected:
    RunQueueTest()
        : zone(kNewYork), clock(Utc(2010, 1, 1, 13)),
          queue(library, clock, CRunQueue::Ports{host, host, host, host}) {
        CMacro root;
        root.kind = 2;
        root.name = "My Macros";
        library.InsertRecord(root, -1, InsertPosition::Into);
    }

    int32_t Add(const CMacro& macro, int32_t parent = 1) {
        return library.InsertRecord(macro, parent, InsertPosition::Into);
    }
    int32_t AddPlain(const std::string& name, int32_t parent = 1) {
        CMacro macro;
        macro.name = name;
        return Add(macro, parent);
    }
    int32_t AddSet(const std::string& name, int32_t parent = 1) {
        CMacro macro;
        macro.kind = 2;
        macro.name = name;
        return Add(macro, parent);
    }
    std::vector<std::string> StartedNames() const {
        std::vector<std::string> names;
        for (const CMacro& macro : host.started)
            names.push_back(macro.name);
        return names;
    }
    size_t Count(const std::string& event) const {
        return static_cast<size_t>(std::count(host.events.begin(), host.events.end(), event));
    }

    ScopedTimeZone zone;
    CMacroLibrary library;
    CFakeClock clock;
    CRecordingRunHost host;
    CRunQueue queue;
};

TEST_F(RunQueueTest, EnqueueRefusesMissingEntriesSetsAndAFullQueue) {
    const int32_t set = AddSet("Set");
    EXPECT_EQ(queue.EnqueueMacro(999), 0);
    EXPECT_EQ(queue.EnqueueMacro(set), 0);
    EXPECT_EQ(queue.EnqueueMacro(0), 0);
    std::vector<int32_t> ids;
    for (int i = 0; i < 6; ++i)
        ids.push_back(AddPlain("m" + std::to_string(i)));
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(queue.EnqueueMacro(ids[static_cast<size_t>(i)]), 1);
    EXPECT_EQ(queue.EnqueueMacro(ids[5]), 0);
    EXPECT_EQ(queue.Count(), 5);
    EXPECT_EQ(queue.Slot(0).name, "m0");
    EXPECT_EQ(queue.Slot(4).name, "m4");
    EXPECT_TRUE(host.events.empty());
}

TEST_F(RunQueueTest, RunNextQueuedStartsTheHeadAndRecordsTheStart) {
    const int32_t first = AddPlain("First");
    AddPlain("Second");
    queue.EnqueueMacro(first);
    queue.EnqueueMacro(first + 1);
    ASSERT_EQ(queue.RunNextQueued(), 1);

    const std::string text = "Friday, January 01, 2010; at 08:00:00";
    EXPECT_EQ(host.events, (std::vector<std::string>{"hook:install", "stop:off", "tray", "stop:on",
                                                     "tray", "output:clear", "hook:release",
                                                     "run:First", "lastrun:First: Run on " + text,
                                                     "lastrunbox:" + std::to_string(first),
                                                     "log:" + text + "\t\tFirst", "hook:reset"}));
    EXPECT_TRUE(queue.IsRunning());
    EXPECT_EQ(queue.Count(), 1);
    EXPECT_EQ(queue.Slot(0).name, "Second");
    EXPECT_EQ(queue.Slot(1).id, 0);
    const CMacroNode* node = library.FindById(first);
    EXPECT_EQ(node->lastRunText, text);
    EXPECT_EQ(node->lastRunTime, clock.now);
}

TEST_F(RunQueueTest, EmptyQueueClearsTheRunningFlagAndGreysStop) {
    queue.EnqueueMacro(AddPlain("Long"));
    ASSERT_EQ(queue.RunNextQueued(), 1);
    ASSERT_TRUE(queue.IsRunning());
    host.events.clear();
    EXPECT_EQ(queue.RunNextQueued(), 0);
    EXPECT_FALSE(queue.IsRunning());
    EXPECT_EQ(host.events, (std::vector<std::string>{"hook:install", "stop:off", "tray"}));
}

TEST_F(RunQueueTest, AHeadRemovedFromTheLibraryIsDroppedNotBlocking) {
    const int32_t gone = AddPlain("Gone");
    const int32_t stays = AddPlain("Stays");
    queue.EnqueueMacro(gone);
    queue.EnqueueMacro(stays);
    library.RemoveNode(gone);
    EXPECT_EQ(queue.RunNextQueued(), 1);
    EXPECT_EQ(StartedNames(), std::vector<std::string>{"Stays"});
    EXPECT_EQ(queue.Count(), 0);

    queue.EnqueueMacro(stays);
    library.RemoveNode(stays);
    EXPECT_EQ(queue.RunNextQueued(), 0);
    EXPECT_EQ(queue.Count(), 0);
}

// An editor's script: logged like any start, and a due macro waits for it.
TEST_F(RunQueueTest, AScriptOutsideTheLibraryIsLoggedAndHoldsTheQueue) {
    CMacro script;
    script.id = -1;
    script.name = "demo.tsc";
    ASSERT_EQ(queue.RunOutsideLibrary(script), 1);
    ASSERT_EQ(host.logLines.size(), 1u);
    EXPECT_EQ(host.logLines[0], "Friday, January 01, 2010; at 08:00:00\t\tdemo.tsc");
    EXPECT_EQ(queue.RunningMacro().id, -1);
    EXPECT_EQ(queue.RunOutsideLibrary(script), 0);
    Add(Repeated("1\\1\\2010", "8:0:0", 3, 1, "Due"));
    queue.RunDuePass();
    EXPECT_EQ(StartedNames(), std::vector<std::string>{"demo.tsc"});
    queue.OnMacroFinished();
    EXPECT_EQ(StartedNames(), (std::vector<std::string>{"demo.tsc", "Due"}));
}

TEST_F(RunQueueTest, TheRunnerGetsACopyAndTheEntryMayChangeMeanwhile) {
    const int32_t id = AddPlain("Old name");
    queue.EnqueueMacro(id);
    CMacro edited = *library.FindById(id);
    edited.name = "New name";
    library.UpdateRecord(edited);
    queue.RunNextQueued();
    // The queued copy runs and is logged; the library entry is stamped.
    EXPECT_EQ(StartedNames(), std::vector<std::string>{"Old name"});
    EXPECT_FALSE(library.FindById(id)->lastRunText.empty());
}

TEST_F(RunQueueTest, AProgramReportingItsEndInsideRunStartsTheNextOne) {
    queue.EnqueueMacro(AddPlain("Program"));
    queue.EnqueueMacro(AddPlain("Script"));
    host.onRun = [&](const CMacro& macro) {
        if (macro.name == "Program")
            queue.OnMacroFinished();
    };
    EXPECT_EQ(queue.RunNextQueued(), 1);
    EXPECT_EQ(StartedNames(), (std::vector<std::string>{"Program", "Script"}));
    // The nested start logs first; the script is still running afterwards.
    ASSERT_EQ(host.logLines.size(), 2u);
    EXPECT_NE(host.logLines[0].find("Script"), std::string::npos);
    EXPECT_NE(host.logLines[1].find("Program"), std::string::npos);
    EXPECT_TRUE(queue.IsRunning());
}

TEST_F(RunQueueTest, TwoMacrosDueInTheSameSecondRunOneAfterTheOther) {
    const int32_t high = Add(Repeated("1\\1\\2010", "8:0:0", 3, 1, "High"));
    const int32_t low = Add(Repeated("1\\1\\2010", "8:0:0", 3, 1, "Low"));
    queue.RunDuePass();
    EXPECT_EQ(StartedNames(), std::vector<std::string>{"High"});
    EXPECT_EQ(queue.Count(), 1);
    EXPECT_EQ(queue.Slot(0).id, low);
    // Later passes of the same second queue neither again.
    queue.RunDuePass();
    EXPECT_EQ(queue.Count(), 2); // Low is queued again: it has not started yet
    queue.OnMacroFinished();
    EXPECT_EQ(StartedNames(), (std::vector<std::string>{"High", "Low"}));
    EXPECT_EQ(library.FindById(high)->lastRunTime, clock.now);
    EXPECT_EQ(library.FindById(low)->lastRunTime, clock.now);
}

TEST_F(RunQueueTest, AOneSecondMacroFillsTheQueueWhileAnotherRuns) {
    Add(Scheduled(ScheduleType::SingleOccurrence, "1\\1\\2010", "8:0:0", 0, 1, "Long"));
    const int32_t tick = Add(Repeated("1\\1\\2010", "8:0:0", 0, 1, "Tick"));
    int passes = 0;
    for (int second = 0; second < 2; ++second) {
        for (int quarter = 0; quarter < 4; ++quarter, ++passes)
            queue.RunDuePass();
        clock.Advance(1);
    }
    // Pass 1 starts Long and queues Tick; passes 2 to 5 fill the slots;
    // passes 6 to 8 find the queue full.
    EXPECT_EQ(StartedNames(), std::vector<std::string>{"Long"});
    EXPECT_EQ(queue.Count(), 5);
    const std::string fullLine = "Tick: " + kQueueFull;
    EXPECT_EQ(std::count(host.logLines.begin(), host.logLines.end(), fullLine), 3);
    EXPECT_EQ(library.FindById(tick)->lastRunText, kQueueFull);
    EXPECT_EQ(library.FindById(tick)->lastRunTime, 0);
}

TEST_F(RunQueueTest, AScheduledMacroSetIsTakenButNeverQueuedNorLogged) {
    CMacro set = Repeated("1\\1\\2010", "8:0:0", 0, 1, "Set");
    set.kind = 2;
    const int32_t setId = Add(set);
    const int32_t inner = Add(Repeated("1\\1\\2010", "8:0:0", 0, 1, "Inner"), setId);
    for (int i = 0; i < 3; ++i)
        queue.RunDuePass();
    EXPECT_EQ(StartedNames(), std::vector<std::string>{"Inner"});
    EXPECT_EQ(queue.Count(), 0); // Inner already ran this second
    EXPECT_TRUE(host.logLines.size() == 1 && host.logLines[0].find("Set") == std::string::npos);
    EXPECT_TRUE(library.FindById(setId)->lastRunText.empty());
    EXPECT_EQ(library.FindById(inner)->lastRunTime, clock.now);
}

TEST_F(RunQueueTest, TheSameSecondNeverStartsAMacroTwice) {
    Add(Repeated("1\\1\\2010", "8:0:0", 0, 1, "Tick"));
    queue.RunDuePass();
    queue.OnMacroFinished();
    queue.RunDuePass();
    queue.RunDuePass();
    EXPECT_EQ(StartedNames(), std::vector<std::string>{"Tick"});
    EXPECT_EQ(queue.Count(), 0);
    clock.Advance(1);
    queue.OnMacroFinished();
    queue.RunDuePass();
    EXPECT_EQ(StartedNames(), (std::vector<std::string>{"Tick", "Tick"}));
}

TEST_F(RunQueueTest, EveryEntryIsEligibleAgainAfterAPass) {
    const int32_t a = Add(Repeated("1\\1\\2010", "8:0:0", 0, 1, "A"));
    const int32_t set = AddSet("Set");
    const int32_t b = Add(Repeated("1\\1\\2010", "8:0:0", 0, 1, "B"), set);
    queue.RunDuePass();
    for (int32_t id : {1, a, set, b})
        EXPECT_EQ(library.FindById(id)->eligible, 1) << id;
}

TEST_F(RunQueueTest, SwitchingTheSchedulerOffEmptiesTheQueue) {
    const int32_t id = AddPlain("Executed");
    queue.EnqueueMacro(id);
    queue.EnqueueMacro(id);
    queue.SetSchedulerEnabled(false);
    EXPECT_FALSE(queue.SchedulerEnabled());
    EXPECT_EQ(queue.Count(), 0);
    EXPECT_EQ(Count("tray"), 1u);
    queue.SetSchedulerEnabled(true);
    EXPECT_TRUE(queue.SchedulerEnabled());
    EXPECT_EQ(Count("tray"), 2u);
}

TEST_F(RunQueueTest, APassOverAnEmptyLibraryDoesNothing) {
    CMacroLibrary empty;
    CRunQueue other(empty, clock, CRunQueue::Ports{host, host, host, host});
    other.RunDuePass();
    EXPECT_TRUE(host.events.empty());
}

TEST_F(RunQueueTest, EditedStartTextsTakeEffectAtTheNextPass) {
    const int32_t id = Add(Repeated("1\\1\\2010", "9:0:0", 0, 0, "Edited"));
    queue.RunDuePass();
    EXPECT_TRUE(host.started.empty());
    CMacro edited = *library.FindById(id);
    edited.startTime = "8:0:0";
    library.UpdateRecord(edited);
    queue.RunDuePass();
    EXPECT_EQ(StartedNames(), std::vector<std::string>{"Edited"});
}

// A pass covers the seconds since the previous one, up to ten minutes;
// longer gaps start what they missed only when asked to.
TEST_F(RunQueueTest, APassCatchesUpOnSecondsItDidNotSee) {
    struct Row {
        int64_t gap;
        bool runMissed;
        bool toggleScheduler;
        size_t starts;
    };
    const Row rows[] = {
        {3, false, false, 0},         {7, false, false, 1},  {600, false, false, 1},
        {601, false, false, 0},       {601, true, false, 1}, {3 * 86400, true, false, 1},
        {3 * 86400, false, false, 0}, {10, false, true, 0},
    };
    for (const Row& row : rows) {
        CMacroLibrary lib;
        CMacro root;
        root.kind = 2;
        lib.InsertRecord(root, -1, InsertPosition::Into);
        lib.InsertRecord(
            Scheduled(ScheduleType::SingleOccurrence, "1\\1\\2010", "8:0:5", 0, 1, "Once"), 1,
            InsertPosition::Into);
        CFakeClock at(Utc(2010, 1, 1, 13));
        CRecordingRunHost runs;
        CRunQueue passes(lib, at, CRunQueue::Ports{runs, runs, runs, runs});
        passes.SetRunMissedAfterSleep(row.runMissed);
        passes.RunDuePass();
        if (row.toggleScheduler) {
            passes.SetSchedulerEnabled(false);
            passes.SetSchedulerEnabled(true);
        }
        at.Advance(row.gap);
        passes.RunDuePass();
        passes.OnMacroFinished();
        at.Advance(1);
        passes.RunDuePass();
        EXPECT_EQ(runs.started.size(), row.starts)
            << "gap " << row.gap << " runMissed " << row.runMissed;
    }
}

TEST_F(RunQueueTest, ACaughtUpPassTakesAnEntryOnceAndNeverASecondTwice) {
    Add(Repeated("1\\1\\2010", "8:0:0", 0, 1, "Tick"));
    queue.RunDuePass();
    queue.OnMacroFinished();
    clock.Advance(4); // four seconds due, one pass: one start
    queue.RunDuePass();
    EXPECT_EQ(StartedNames(), (std::vector<std::string>{"Tick", "Tick"}));
    EXPECT_EQ(queue.Count(), 0);
    queue.OnMacroFinished();
    clock.Advance(-2); // the clock went back: only its own second counts
    queue.RunDuePass();
    EXPECT_EQ(host.started.size(), 3u);
    EXPECT_EQ(queue.Count(), 0);
    queue.OnMacroFinished();
    clock.Advance(1);
    queue.RunDuePass();
    EXPECT_EQ(host.started.size(), 4u);
    EXPECT_EQ(queue.Count(), 0);
}

TEST(LastRunText, EnglishNamesInLocalTime) {
    ScopedTimeZone zone(kBerlin);
    EXPECT_EQ(CRunQueue::FormatLastRunText(Utc(2010, 7, 4, 5, 6, 7)),
              "Sunday, July 04, 2010; at 07:06:07");
    EXPECT_EQ(CRunQueue::QueueFullMessage(), kQueueFull);
}

// The pass's single walk against the search the pass is defined by: find
// the first due entry from the root (a set's contents before the set),
// make it ineligible, search again.
CMacroNode* SearchNextDue(CMacroNode* node, int64_t now) {
    for (; node; node = node->next) {
        if (node->IsMacroSet()) {
            if (CMacroNode* hit = SearchNextDue(node->firstChild, now))
                return hit;
        }
        if (IsDueAt(*node, now))
            return node;
    }
    return nullptr;
}

TEST(DueScanner, FindsWhatRepeatedSearchesFindInTheSameOrder) {
    ScopedTimeZone zone(kNewYork);
    std::mt19937 random(7);
    CDueScanner scanner;
    size_t dueSeen = 0;
    for (int round = 0; round < 20; ++round) {
        CMacroLibrary library;
        CMacro root;
        root.kind = 2;
        library.InsertRecord(root, -1, InsertPosition::Into);
        std::vector<int32_t> sets{1};
        for (int i = 0; i < 60; ++i) {
            CMacro macro =
                Repeated("1\\" + std::to_string(1 + random() % 3) + "\\2010",
                         std::to_string(random() % 3) + ":0:0", static_cast<int32_t>(random() % 7),
                         static_cast<int32_t>(random() % 3));
            macro.scheduleType = static_cast<int32_t>(random() % 3);
            macro.kind = random() % 4 == 0 ? 2 : 1;
            macro.name = std::to_string(i);
            if (random() % 5 == 0)
                macro.lastRunTime = Utc(2010, 1, 3, 5);
            const int32_t id =
                library.InsertRecord(macro, sets[random() % sets.size()], InsertPosition::Into);
            if (macro.kind == 2)
                sets.push_back(id);
        }
        const int64_t now = Utc(2010, 1, 3, 5) + (random() % 2) * 3600;
        std::vector<CMacroNode*> expected;
        while (CMacroNode* hit = SearchNextDue(library.Root(), now)) {
            hit->eligible = 0;
            expected.push_back(hit);
        }
        CMacroLibrary::ResetEligible(library.Root());
        std::vector<CMacroNode*> found;
        scanner.FindDue(library.Root(), now, found);
        EXPECT_EQ(found, expected) << "round " << round;
        dueSeen += expected.size();
    }
    EXPECT_GT(dueSeen, 40u); // the rounds do exercise due entries
}

} // namespace
