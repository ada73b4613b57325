// Every text of every builder dialog shows whole, under every language file
// the builder ships: each label, button, radio and check box has the room
// for its text's bounding box in its font, and lies inside its parent.

#include "builder/core/se_language.h"
#include "builder/widgets/builder_fonts.h"
#include "builder/widgets/text_fit.h"
#include "tests/builder_ui/dialog_openers.h"

#include <QApplication>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <tuple>

namespace crvl::test {
namespace {

// What does not show whole in a window: one line a control.
std::vector<std::string> cutTexts(QWidget& window) {
    std::vector<std::string> cut;
    QList<QWidget*> controls = window.findChildren<QWidget*>();
    controls.prepend(&window);
    for (QWidget* control : controls) {
        if (!control->isVisibleTo(&window)) {
            continue;
        }
        const std::optional<TextRoom> measure = textRoom(*control);
        if (!measure) {
            continue;
        }
        const std::string name = control->objectName().isEmpty()
                                     ? control->metaObject()->className()
                                     : control->objectName().toStdString();
        const std::string what = name + " \"" + measure->text.toStdString() + "\"";
        if (!measure->fits()) {
            cut.push_back(what + " needs " + std::to_string(measure->needed.width()) + "x" +
                          std::to_string(measure->needed.height()) + ", shows " +
                          std::to_string(measure->room.width()) + "x" +
                          std::to_string(measure->room.height()));
        }
        const QWidget* parent = control->parentWidget();
        if (control == &window || parent == nullptr) {
            continue;
        }
        if (!parent->rect().contains(control->geometry())) {
            cut.push_back(what + " reaches out of " + parent->objectName().toStdString());
        }
        for (const QObject* child : parent->children()) {
            const auto* other = qobject_cast<const QWidget*>(child);
            if (other != nullptr && other != control && other->isVisibleTo(&window) &&
                other->geometry().intersects(control->geometry())) {
                cut.push_back(what + " lies over " + other->objectName().toStdString() + " " +
                              other->metaObject()->className());
            }
        }
    }
    return cut;
}

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += "\n  " + line;
    }
    return text;
}

class DialogFit : public ::testing::TestWithParam<std::tuple<std::string, std::string>> {
protected:
    static void SetUpTestSuite() { installBuilderFonts(); }
    void TearDown() override { seLanguage::restoreDefaults(); }
};

TEST_P(DialogFit, EveryTextShowsWhole) {
    const auto& [languageFile, dialog] = GetParam();
    useLanguageFile(languageFile);
    DialogScene scene;
    QWidget& window = dialogOpener(dialog).open(scene);
    const std::vector<std::string> cut = cutTexts(window);
    EXPECT_TRUE(cut.empty())
        << QFileInfo(QString::fromStdString(languageFile)).fileName().toStdString() << ", "
        << dialog << ":" << joined(cut);
}

std::vector<std::string> openerNames() {
    std::vector<std::string> names;
    for (const DialogOpener& opener : dialogOpeners()) {
        names.push_back(opener.name);
    }
    return names;
}

std::string caseName(const ::testing::TestParamInfo<DialogFit::ParamType>& info) {
    std::string file =
        QFileInfo(QString::fromStdString(std::get<0>(info.param))).completeBaseName().toStdString();
    for (char& c : file) {
        if (!std::isalnum(static_cast<unsigned char>(c))) {
            c = '_';
        }
    }
    return file + "_" + std::get<1>(info.param);
}

INSTANTIATE_TEST_SUITE_P(ShippedLanguages, DialogFit,
                         ::testing::Combine(::testing::ValuesIn(shippedLanguageFiles()),
                                            ::testing::ValuesIn(openerNames())),
                         caseName);

// The check itself: a text longer than its dialog can make room for shows
// as cut.
TEST(DialogFitCheck, CatchesALengthenedText) {
    installBuilderFonts();
    seLanguage::labelBrowseText = "Durchsuchen nach einer Szenariodatei...";
    seLanguage::fileReadOnlyText = "Die Datei ist schreibgeschützt und gehört einem anderen "
                                   "Benutzer; wollen Sie sie wirklich überschreiben?";
    DialogScene saveScene;
    const std::string save = joined(cutTexts(dialogOpener("SaveDialog").open(saveScene)));
    DialogScene questionScene;
    const std::string question =
        joined(cutTexts(dialogOpener("ReadOnlyQuestion").open(questionScene)));
    seLanguage::restoreDefaults();
    EXPECT_NE(save.find("browseButton"), std::string::npos) << save;
    EXPECT_NE(question.find("overwriteQuestion"), std::string::npos) << question;
}

} // namespace
} // namespace crvl::test
