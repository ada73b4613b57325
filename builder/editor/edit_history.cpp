#include "builder/editor/edit_history.h"

#include <utility>

namespace crvl {

EditHistory::EditHistory(std::size_t depth) : depth_(depth == 0 ? 1 : depth) {
    states_.emplace_back();
    savePoint_ = 0;
}

void EditHistory::reset(DocumentState state, bool saved) {
    states_.clear();
    steps_.clear();
    states_.push_back(std::move(state));
    position_ = 0;
    savePoint_.reset();
    if (saved) {
        savePoint_ = 0;
    }
}

void EditHistory::record(HistoryStep step, DocumentState state) {
    states_.resize(position_ + 1);
    steps_.resize(position_);
    if (savePoint_ && *savePoint_ > position_) {
        savePoint_.reset(); // the saved state was undone and is now gone
    }
    states_.push_back(std::move(state));
    steps_.push_back(std::move(step));
    ++position_;
    if (steps_.size() > depth_) {
        states_.pop_front();
        steps_.pop_front();
        --position_;
        if (savePoint_) {
            savePoint_ = *savePoint_ == 0 ? std::optional<std::size_t>{} : *savePoint_ - 1;
        }
    }
}

const HistoryStep* EditHistory::undoStep() const {
    return canUndo() ? &steps_[position_ - 1] : nullptr;
}

const HistoryStep* EditHistory::redoStep() const {
    return canRedo() ? &steps_[position_] : nullptr;
}

const DocumentState& EditHistory::undo() {
    if (canUndo()) {
        --position_;
    }
    return current();
}

const DocumentState& EditHistory::redo() {
    if (canRedo()) {
        ++position_;
    }
    return current();
}

} // namespace crvl
