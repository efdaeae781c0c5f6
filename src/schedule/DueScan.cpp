#include "schedule/DueScan.h"

const ParsedStart& CDueScanner::StartOf(const CMacroNode& node) {
    auto [entry, inserted] = cache.try_emplace(node.id);
    CachedStart& cached = entry->second;
    if (inserted || cached.startDate != node.startDate || cached.startTime != node.startTime) {
        cached.startDate = node.startDate;
        cached.startTime = node.startTime;
        cached.start = PrepareStart(node);
    }
    cached.lastPass = passNumber;
    ++scheduledThisPass;
    return cached.start;
}

void CDueScanner::FindDue(CMacroNode* root, int64_t now, std::vector<CMacroNode*>& due) {
    due.clear();
    ++passNumber;
    scheduledThisPass = 0;
    LocalParts nowParts;
    bool nowPartsReady = false;
    ForEachInPassOrder(root, [&](CMacroNode& node) {
        // The cheap refusals of IsDueAt come before any parsing.
        if (node.lastRunTime == now || node.eligible == 0 ||
            node.scheduleType == static_cast<int32_t>(ScheduleType::NotScheduled))
            return;
        const ParsedStart& start = StartOf(node);
        if (!nowPartsReady && start.ok && start.time <= now) {
            nowParts = ToLocalParts(now);
            nowPartsReady = true;
        }
        if (IsDueAtPrepared(node, now, start, nowPartsReady ? &nowParts : nullptr))
            due.push_back(&node);
    });
    // Forget entries that were removed or lost their schedule, once they
    // make up most of the cache.
    if (cache.size() > 2 * scheduledThisPass + 64) {
        std::erase_if(cache, [&](const auto& item) { return item.second.lastPass != passNumber; });
    }
}
