// Writes the shipped lessons with the builder's generator:
//   make_lessons <builder data dir> <lessons dir>
// The English files go into the lessons folder, the German ones (the same
// drawings with German comments) into its "de/" folder.

#include "builder/core/tcl_control.h"
#include "builder/io/scenario_saving.h"
#include "tests/lessons/lesson_book.h"

#include <filesystem>
#include <iostream>

int main(int argc, char** argv) {
    using namespace crvl;
    using namespace crvl::test;
    if (argc != 3) {
        std::cerr << "usage: make_lessons <builder data dir> <lessons dir>\n";
        return 2;
    }
    const std::string data = std::filesystem::absolute(argv[1]).generic_string() + "/";
    const std::string out = std::filesystem::absolute(argv[2]).generic_string() + "/";
    std::filesystem::create_directories(out + "de");
    TclControl io{"file:/" + data};
    for (const Lesson& lesson : lessonBook()) {
        for (const bool german : {false, true}) {
            FakeDocument doc;
            drawLesson(doc, lesson);
            GeneratorHooks hooks;
            hooks.dateText = [] { return std::string(kLessonDate); };
            const auto result =
                saveDiagram(doc, doc, io, lesson.name + ".scn", german ? out + "de/" : out,
                            german ? lesson.commentDe : lesson.comment, std::move(hooks));
            if (!result.ok()) {
                std::cerr << lesson.name << ": not written\n";
                return 1;
            }
        }
    }
    return 0;
}
