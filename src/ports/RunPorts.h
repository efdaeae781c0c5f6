#pragma once
// What a running macro needs from the main window. The runner's worker
// threads call these; the main window implements them by handing the work to
// its own (user-interface) thread. None of them may run the work inside the
// call on the worker's thread, and none may block the worker on the
// user-interface thread: at exit the user-interface thread joins the workers.

#include <cstdint>
#include <functional>
#include <string>

// The Output page's output box.
class IOutputSink {
public:
    virtual ~IOutputSink() = default;
    // The Output page's AppendOutput: insert `text` ("\n" line ends) at the
    // box's caret. Called on a worker thread; queue it and return.
    virtual void AppendOutput(const std::string& text) = 0;
};

// The "Tessera - Input Required" dialog.
class IInputRequest {
public:
    // Called once with the entered text after OK, with "" when the dialog was
    // closed any other way. May be called on any thread, before or after
    // RequestInput returned, and also after the run stopped waiting (it then
    // does nothing).
    using Answer = std::function<void(const std::string& text)>;

    virtual ~IInputRequest() = default;
    // Shows the dialog modally on the user-interface thread with
    // `instructions` in its "Input Instructions" box. Called on a worker thread.
    virtual void RequestInput(const std::string& instructions, Answer answer) = 0;
};

// The end-of-macro command 22000.
class IRunCompletion {
public:
    virtual ~IRunCompletion() = default;
    // Queues command 22000 for macro `id` to the main window's thread; there,
    // after offering it to the key hook wrapper, the handler runs
    // CRunQueue::OnMacroFinished and then calls `handled`. Called on a worker
    // thread (the worker waits for `handled`), or on the user-interface thread
    // inside Run for a program macro (nothing waits; it is handled after Run
    // returns). The id tells whose run ended when runs overlap.
    virtual void PostMacroFinished(int32_t id, std::function<void()> handled) = 0;
};

// A macro failed: its script did not compile, stopped with an error or
// rejected its arguments, or it could not be started ("Could not Execute").
// `firstLine` is the first line of the error. Called on a worker thread, or
// on the user-interface thread inside Run; queue it and return. It comes
// before the run's end (command 22000).
class IRunFailure {
public:
    virtual ~IRunFailure() = default;
    virtual void MacroFailed(int32_t id, const std::string& name, const std::string& firstLine) = 0;
};
