// Plugins for the library manager's tests, one per variant (compile-time
// definitions): the full contract, no CleanUp, no RegisterFunctions, no
// version, a wrong version. Each counts its registrations and clean-ups in
// statics, which start again at zero when the library is really reloaded.

#include "engine/TesseraPlugin.h"

#include <chrono>
#include <thread>

namespace {
int registrations = 0;
[[maybe_unused]] int cleanUps = 0;

[[maybe_unused]] void RegisterCount(ITesseraCall* call, void*) {
    call->ReturnInt(registrations);
}
[[maybe_unused]] void CleanUpCount(ITesseraCall* call, void*) {
    call->ReturnInt(cleanUps);
}
// Plugin code that does not look at the stop flag: blocks for 1.5 s.
[[maybe_unused]] void Hang(ITesseraCall* call, void*) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    call->ReturnInt(0);
}
} // namespace

#if !defined(PLUGIN_NO_VERSION)
#if defined(PLUGIN_WRONG_VERSION)
TESSERA_PLUGIN_EXPORT int TesseraPluginApiVersion() {
    return TESSERA_PLUGIN_API_VERSION + 1;
}
#else
TESSERA_PLUGIN_EXPORT_API_VERSION()
#endif
#endif

#if !defined(PLUGIN_NO_REGISTER)
TESSERA_PLUGIN_EXPORT void RegisterFunctions(CEngine* engine) {
    ++registrations;
    engine->RegisterFunction(PLUGIN_PREFIX "RegisterCount", RegisterCount, nullptr, 0, 0);
    engine->RegisterFunction(PLUGIN_PREFIX "CleanUpCount", CleanUpCount, nullptr, 0, 0);
    engine->RegisterFunction(PLUGIN_PREFIX "Hang", Hang, nullptr, 0, 0);
}
#endif

#if !defined(PLUGIN_NO_CLEANUP)
TESSERA_PLUGIN_EXPORT void CleanUp(CEngine*) {
    ++cleanUps;
}
#endif
