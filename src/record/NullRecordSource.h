#pragma once
// The event source where nothing can be recorded: Start says why.

#include "record/Recorder.h"

class CNullRecordSource : public IRecordSource {
public:
    explicit CNullRecordSource(std::string reason) : why(std::move(reason)) {}
    std::string Start(EventFn) override { return why; }
    void Stop() override {}

private:
    std::string why;
};
