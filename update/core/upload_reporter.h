#pragma once

#include <string>

namespace crvl::update {

// How an upload run and the trainer search talk to their window (or to a
// test). Calls come from the worker thread; the window queues them onto its
// own thread.
class UploadReporter {
public:
    virtual ~UploadReporter() = default;
    // Appends to the message box; the text carries its own line ends.
    virtual void AppendMessage(const std::string& text) = 0;
    // The same, shown only when debug output is on.
    virtual void DebugMessage(const std::string& text) = 0;
    // Position += total / 16.
    virtual void StepProgressLarge() = 0;
    // done: bar to its end; otherwise position += 1.
    virtual void StepProgressRecord(bool done) = 0;
    // Start and Search enabled again at the end of a run.
    virtual void EnableStartAndSearch() = 0;
    // Last call of a run: 0 success, 1 failure.
    virtual void Finished(int result) = 0;
};

} // namespace crvl::update
