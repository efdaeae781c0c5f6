#include "KeypadKeys.h"

#include "triggers/KeyNames.h"
#include "triggers/TriggerEditKeys.h"

#include <gtest/gtest.h>

namespace {

// The trigger box records for every keypad key the code the key hook reports
// for it (tests/x11 holds the hook to the same table).
TEST(TriggerBoxKeypad, RecordsTheHooksCodeWithNumLockOffAndOn) {
    for (const KeypadKey& key : kKeypadKeys) {
        EXPECT_EQ(VirtualKeyForQtKey(key.qtKeyNumLockOff, true), key.codeNumLockOff)
            << key.xkbName << " NumLock off";
        EXPECT_EQ(VirtualKeyForQtKey(key.qtKeyNumLockOn, true), key.codeNumLockOn)
            << key.xkbName << " NumLock on";
    }
}

} // namespace
