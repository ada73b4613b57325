#pragma once

namespace crvl {

// What a command that replaces or closes the drawing does about unsaved
// changes: Ask puts the question "Do you want to save changes ?" first;
// Discard goes on, as after the answer No. The changed flag stays set until
// the drawing is really replaced or written.
enum class UnsavedChanges { Ask, Discard };

} // namespace crvl
