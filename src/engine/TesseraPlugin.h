#pragma once
// The header an external function library compiles against.
//
// A library is a shared object exporting
//
//     TESSERA_PLUGIN_EXPORT_API_VERSION()
//     TESSERA_PLUGIN_EXPORT void RegisterFunctions(CEngine* engine);
//     TESSERA_PLUGIN_EXPORT void CleanUp(CEngine* engine);      // optional
//
// The first line exports TesseraPluginApiVersion(), the version of this
// header the library was built against; the loader refuses a library without
// it or with another version before calling anything else in it.
//
// RegisterFunctions adds the library's functions with
// engine->RegisterFunction(name, callback, userData, minArgs, maxArgs);
// CleanUp undoes what a run left behind. Everything a library calls on the
// engine or on a call is virtual, so a library needs no symbols from the
// program that loads it. Scripts call a registered function by its name:
//
//     static void Twice(ITesseraCall* call, void*) {
//         call->ReturnInt(call->ArgInt(0) * 2);
//     }
//     TESSERA_PLUGIN_EXPORT void RegisterFunctions(CEngine* engine) {
//         engine->RegisterFunction("Twice", Twice, nullptr, 1, 1);
//     }

#include <cstdint>

#define TESSERA_PLUGIN_API_VERSION 1
#define TESSERA_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))
#define TESSERA_PLUGIN_EXPORT_API_VERSION()                                                        \
    TESSERA_PLUGIN_EXPORT int TesseraPluginApiVersion() { return TESSERA_PLUGIN_API_VERSION; }

class CEngine;

// Types reported by ITesseraCall::ArgType.
enum TesseraType {
    TesseraInt = 0,
    TesseraFloat = 1,
    TesseraBool = 2,
    TesseraString = 3,
    TesseraList = 4
};

// One call of a registered function: its arguments and its result.
class ITesseraCall {
public:
    virtual int ArgCount() const = 0;
    virtual int ArgType(int index) const = 0;
    // Numbers and bools as an int (floats truncated); other types fail the call.
    virtual int64_t ArgInt(int index) = 0;
    virtual double ArgFloat(int index) = 0;
    // Any argument as text, converted as the script's Str does; valid until
    // the function returns.
    virtual const char* ArgString(int index) = 0;

    virtual void ReturnInt(int64_t value) = 0;
    virtual void ReturnFloat(double value) = 0;
    virtual void ReturnBool(bool value) = 0;
    virtual void ReturnString(const char* text) = 0;

    // Makes the call raise a runtime error "NAME: message" once the function
    // returns (a script can catch it).
    virtual void Fail(const char* message) = 0;
    // Writes through the script's output stream.
    virtual void Write(const char* text, bool lineBreak) = 0;
    // True once the user asked the script to stop; long work should end.
    virtual bool StopRequested() const = 0;

protected:
    ~ITesseraCall() = default;
};

using TesseraFunction = void (*)(ITesseraCall* call, void* userData);

extern "C" {
using TesseraRegisterFunctions = void (*)(CEngine* engine);
using TesseraCleanUp = void (*)(CEngine* engine);
}

#include "engine/Engine.h"
