// Random gestures on a few frames: presses, drags and releases in every draw
// state, Delete, Alt + press and new elements. After each step every
// connection must join two frames of the document, start at an output with
// no other connection, end at an input, and read back from its saved line;
// the start frame must still be there.

#include "builder/model/scenario_element.h"
#include "tests/builder_model/fake_editor.h"
#include "tests/builder_model/fuzz_input.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <utility>

namespace {

using namespace crvl;

using Input = test::FuzzInput;

// Deletes as the editor does: the first frame with something to delete.
class GestureEditor : public test::FakeEditor {
public:
    void deleteTool_actionPerformed() override {
        for (std::size_t i = 0; i < frameList.size(); ++i) {
            const DeleteResult result = frameList[i]->deleteTheSelectedFrameItem();
            if (result == DeleteResult::Frame) {
                frameList.erase(frameList.begin() + static_cast<std::ptrdiff_t>(i));
            }
            if (result != DeleteResult::Nothing) {
                return;
            }
        }
    }
};

void check(GestureEditor& editor) {
    std::set<ScenarioFrame*> frames;
    for (const auto& f : editor.frameList) {
        frames.insert(f.get());
    }
    if (editor.stringToFrameIconComponent("Frame0") == nullptr) {
        std::abort();
    }
    std::set<std::pair<ScenarioFrame*, int>> outputs;
    for (const auto& c : editor.connectionList) {
        if (!frames.contains(&c->getSource()) || !frames.contains(&c->getDest()) ||
            c->startArea() < output1Field || c->startArea() > output3Field ||
            c->endArea() != inputField ||
            !outputs.insert({&c->getSource(), c->startArea()}).second) {
            std::abort();
        }
        if (Connection::fromString(editor, c->toString()).value()->toString() != c->toString()) {
            std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const char* const types[] = {"SetECG",        "MotionAction",  "ElectrodesAction",
                                        "BatteryAction", "FailureAction", "DefibEvent",
                                        "CPREvent",      "TimeEvent"};
    static const char* const attributes[] = {"",  "S;p;VT;", "s;P;Sinus;", "+",    "-", "b",
                                             "9", "A30",     "S",          "T250", "x"};
    Input in(data, size);
    GestureEditor editor;
    editor.addFrame("Frame0", {0, 0}, 3);
    editor.addFrame("Frame1", {0, 120}, 2);
    editor.addFrame("Frame2", {260, 60}, 3);
    editor.chooseTarget = [&]() -> ScenarioFrame* {
        const int i = in.next(4);
        return i < static_cast<int>(editor.frameList.size()) ? editor.frameList[i].get() : nullptr;
    };
    ScenarioFrame* active = nullptr;
    // Titles are never reused, as in the editor: a connection is saved by the
    // titles of its frames.
    int nextNumber = 3;
    while (!in.empty()) {
        const Point at{in.next(300) - 40, in.next(300) - 40};
        switch (in.next(7)) {
        case 0: {
            const int i = in.next(static_cast<int>(editor.frameList.size()));
            active = editor.frameList[static_cast<std::size_t>(i)].get();
            const MouseButton button = in.next(2) == 0 ? MouseButton::Left : MouseButton::Right;
            const bool alt = in.next(4) == 0;
            const std::size_t before = editor.frameList.size();
            active->mousePressed(at, button, alt);
            if (editor.frameList.size() != before) {
                active = nullptr; // deleted by Alt + press
            }
            break;
        }
        case 1:
            if (active != nullptr) {
                active->mouseDragged(at);
            }
            break;
        case 2:
            if (active != nullptr) {
                active->mouseReleased(at);
            }
            break;
        case 3:
            editor.deleteTool_actionPerformed();
            active = nullptr;
            break;
        case 4:
            editor.state = static_cast<DrawState>(in.next(4) + 1);
            break;
        case 5: {
            const int i = in.next(static_cast<int>(editor.frameList.size()));
            auto element = getScenarioElement(types[in.next(8)], attributes[in.next(11)]);
            if (element.ok()) {
                editor.frameList[static_cast<std::size_t>(i)]->onRequestFinished(
                    element.value().get(), in.next(5));
            }
            break;
        }
        default:
            if (editor.frameList.size() < 6) {
                editor.addFrame("Frame" + std::to_string(nextNumber++), at);
            }
            break;
        }
        editor.repaintAll();
        check(editor);
    }
    return 0;
}
