// The help page of the shipped lessons and a picture of each drawing as the
// builder shows it (not a test): loads every lesson of DATA_DIR/lessons/
// into the builder's window, grabs the part of the canvas its frames take
// and writes HELP_DIR/images/lesson-<name>.png and HELP_DIR/lessons.html.
//   lesson_pictures <data dir> <help dir>

#include "builder/app/main_frame.h"
#include "builder/app/scenario_editor_applet.h"
#include "builder/core/builder_services.h"
#include "builder/core/tcl_control.h"
#include "builder/editor/lesson_library.h"
#include "builder/editor/scenario_editor_core.h"
#include "builder/model/scenario_frame.h"

#include <QApplication>
#include <QPixmap>
#include <QTest>

#include <fstream>
#include <iostream>

namespace {

std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '\r':
            break;
        case '\n':
            out += "<br>\n";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// The canvas around the frames, with room for connections and jump labels.
QRect drawingArea(const crvl::ScenarioEditorCore& core) {
    QRect area;
    for (const crvl::ScenarioFrame* frame : core.frames()) {
        const crvl::Rect r = frame->bounds();
        area |= QRect(r.x, r.y, r.width, r.height);
    }
    return area.adjusted(-20, -10, 60, 20).intersected(QRect(QPoint(0, 0), QSize(800, 1810)));
}

constexpr const char* kIntroduction = R"(<html>
<head>
<title>Lessons</title>
</head>
<body bgcolor="#ffffff">
<p><a href="Se.html">Contents</a></p>
<h1>Lessons</h1>

<p>The builder ships ready scenarios for the standard AED drills. Choose
<i>File &gt; Open Lesson...</i> (<b>Ctrl+Shift+O</b>): the window lists the
lessons, and below the list the chosen lesson's comment says what it
teaches and what the student must do. <i>Open</i> puts the lesson on the
canvas as a new, unsaved scenario named after it. Change it as you like;
<i>Save Scenario</i> proposes the lesson's name and comment and saves into
your <code>scenarios/</code> folder, asking first if a scenario of that name
is already there. The lessons themselves are never changed: a save aimed at
the lessons' folder is refused.</p>
<p>The comments follow the language file: with the German file the window
shows the German comments. Every lesson passes <a href="trying.html">Check
Scenario</a> without errors or warnings and plays as its comment says.
Where a timing is our choice (such as 120 seconds of CPR before the next
analysis), the comment says so; change it to what your course teaches.</p>
)";

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::cerr << "usage: lesson_pictures DATA_DIR HELP_DIR\n";
        return 2;
    }
    const std::string data = std::string(argv[1]) + "/";
    const std::string help = std::string(argv[2]) + "/";
    crvl::BuilderState::setDocumentBase(crvl::BuilderState::makeDocumentBase(data));
    crvl::MainFrame window(new crvl::ScenarioEditorApplet,
                           crvl::BuilderArguments(std::vector<std::string>{}), data);
    window.show();
    window.startUp();
    crvl::ScenarioEditorCore& core = window.editor().core();
    const std::vector<crvl::LessonEntry> lessons =
        crvl::listLessons(*core.getTclControl(), crvl::kLessonsFolder);
    if (lessons.empty()) {
        std::cerr << "lesson_pictures: no lessons in " << data << "lessons/\n";
        return 1;
    }
    std::ofstream page(help + "lessons.html", std::ios::binary);
    page << kIntroduction;
    page << "\n<table border=\"1\" cellpadding=\"4\" cellspacing=\"0\">\n"
            "<tr><th align=\"left\">Lesson</th><th align=\"left\">What it teaches</th></tr>\n";
    for (const crvl::LessonEntry& lesson : lessons) {
        page << "<tr><td><a href=\"#" << lesson.name << "\">" << lesson.name << "</a></td><td>"
             << escaped(lesson.comment.substr(0, lesson.comment.find('\r'))) << "</td></tr>\n";
    }
    page << "</table>\n";
    for (const crvl::LessonEntry& lesson : lessons) {
        core.loadLesson(lesson.path, lesson.filename, lesson.comment);
        QTest::qWait(200);
        const QString picture =
            QStringLiteral("images/lesson-%1.png").arg(QString::fromStdString(lesson.name));
        if (!window.editor()
                 .bigPanel()
                 ->grab(drawingArea(core))
                 .save(QString::fromStdString(help) + picture)) {
            std::cerr << "lesson_pictures: cannot write " << help << picture.toStdString() << "\n";
            return 1;
        }
        page << "\n<a name=\"" << lesson.name << "\"></a>\n<h2>" << lesson.name << "</h2>\n<p>"
             << escaped(lesson.comment) << "</p>\n<p><img src=\"" << picture.toStdString()
             << "\" alt=\"The drawing of " << lesson.name << "\"></p>\n";
    }
    page << "\n<p><a href=\"trying.html\">&laquo; Checking and trying a scenario</a> | "
            "<a href=\"languages.html\">Next: languages &raquo;</a></p>\n</body>\n</html>\n";
    std::cout << "wrote " << help << "lessons.html and " << lessons.size() << " pictures\n";
    return page.good() ? 0 : 1;
}
