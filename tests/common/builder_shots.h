#pragma once

// What the programs that take the builder's documentation pictures share:
// time for the window system to draw, a screen grab, and a scratch copy of
// the builder's data files whose start frame is a small drawn scenario.

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QPixmap>
#include <QRect>
#include <QScreen>
#include <QThread>

#include <filesystem>
#include <string>

namespace crvl::test {

// Lets the window system draw for a while.
inline void settle(int ms) {
    for (int i = 0; i < ms / 20; ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(20);
    }
}

inline QPixmap grabScreen(const QRect& area) {
    return QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(),
                                                        area.height());
}

// The window the builder opened last of kind W (the help window), or none.
template <class W> W* lastTopLevel() {
    W* found = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* each = qobject_cast<W*>(w)) {
            found = each;
        }
    }
    return found;
}

// A fresh copy of sourceDir/builder/data in the temporary folder under
// name, with tests/builder_editor/data/screenshot-scenario.scn as its start
// frame template.
inline std::filesystem::path scratchBuilderData(const std::string& sourceDir,
                                                const std::string& name) {
    namespace fs = std::filesystem;
    const fs::path source = fs::path(sourceDir) / "builder/data";
    const fs::path scratch = fs::temp_directory_path() / name;
    fs::remove_all(scratch);
    fs::copy(source, scratch, fs::copy_options::recursive);
    fs::copy_file(fs::path(sourceDir) / "tests/builder_editor/data/screenshot-scenario.scn",
                  scratch / "template/DefaultFrame0.scn", fs::copy_options::overwrite_existing);
    return scratch;
}

} // namespace crvl::test
