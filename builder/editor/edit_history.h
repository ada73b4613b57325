#pragma once

// The editor's history of edits: the document as it stood before the first
// step and after every step, so that undo and redo put it back exactly. A
// state is the saved-diagram text of the document (frames in number order,
// connections in list order) with the next frame number; one of the states
// may be the saved one, which tells whether the document has unsaved
// changes.

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <utility>

namespace crvl {

struct DocumentState {
    std::string diagram;
    int nIndex = 0;
    friend bool operator==(const DocumentState&, const DocumentState&) = default;
};

enum class StepKind { Edit, Deletion };

struct HistoryStep {
    std::string name; // as the Edit menu shows it: "Create Frame3"
    StepKind kind = StepKind::Edit;
    // A deletion: what it took away (the palette undo tool's text).
    std::string removed;
};

class EditHistory {
public:
    static constexpr std::size_t DEFAULT_DEPTH = 100;

    explicit EditHistory(std::size_t depth = DEFAULT_DEPTH);

    // Starts afresh from state, with nothing to undo or redo; saved: the
    // state is the one in the scenario file.
    void reset(DocumentState state, bool saved);
    const DocumentState& current() const { return states_[position_]; }

    // A step led to state. Steps undone before are forgotten; beyond the
    // depth the oldest step is.
    void record(HistoryStep step, DocumentState state);

    bool canUndo() const { return position_ > 0; }
    bool canRedo() const { return position_ + 1 < states_.size(); }
    // The step undo (redo) would take back (do again), or nullptr.
    const HistoryStep* undoStep() const;
    const HistoryStep* redoStep() const;
    std::size_t undoCount() const { return position_; }
    std::size_t redoCount() const { return states_.size() - 1 - position_; }

    // One step back (forward); the state to show. Only when possible.
    const DocumentState& undo();
    const DocumentState& redo();

    // The document stands as state without a step (saving renumbers the
    // frames).
    void replaceCurrent(DocumentState state) { states_[position_] = std::move(state); }
    // The current state is the one in the scenario file.
    void markSaved() { savePoint_ = position_; }
    bool atSavePoint() const { return savePoint_ == position_; }

private:
    std::size_t depth_;
    // steps_[k] leads from states_[k] to states_[k + 1].
    std::deque<DocumentState> states_;
    std::deque<HistoryStep> steps_;
    std::size_t position_ = 0;
    std::optional<std::size_t> savePoint_;
};

} // namespace crvl
