#pragma once

// Recording stops while one operation of the scenario editor (loading,
// restoring a step, pasting) makes many changes that form one step or none.

namespace crvl {

class HistoryPause {
public:
    explicit HistoryPause(bool& recording) : recording_(recording), was_(recording) {
        recording_ = false;
    }
    ~HistoryPause() { recording_ = was_; }
    HistoryPause(const HistoryPause&) = delete;
    HistoryPause& operator=(const HistoryPause&) = delete;

private:
    bool& recording_;
    bool was_;
};

} // namespace crvl
