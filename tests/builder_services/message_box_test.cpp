// The builder's message boxes: icons, modality, default button, answers.

#include "builder/core/se_language.h"
#include "builder/widgets/message_box.h"

#include <QApplication>
#include <QDialog>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace crvl {
namespace {

QApplication& app() {
    static int argc = 1;
    static char name[] = "message_box_test";
    static char* argv[] = {name, nullptr};
    static QApplication instance(argc, argv);
    return instance;
}

// Presses a button of the next modal box once it shows, and remembers what
// the box looked like.
struct Answer {
    QMessageBox::StandardButton press;
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool shown = false;

    void arm() {
        QTimer::singleShot(0, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) {
                arm(); // not shown yet: try again on the next turn
                return;
            }
            shown = true;
            text = box->text();
            title = box->windowTitle();
            icon = box->icon();
            box->button(press)->click();
        });
    }
};

TEST(MessageBox, KindsChooseIconAndStacking) {
    app();
    auto warning = makeMessageBox(nullptr, "Title", "Text", "Warning");
    EXPECT_EQ(warning->icon(), QMessageBox::Critical);
    EXPECT_EQ(warning->windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(warning->standardButtons(), QMessageBox::Ok);
    EXPECT_FALSE(warning->windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    auto exclamation = makeMessageBox(nullptr, "Title", "Text", "Exclamation");
    EXPECT_EQ(exclamation->icon(), QMessageBox::Warning);
    EXPECT_TRUE(exclamation->windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    auto plain = makeMessageBox(nullptr, "Title", "Text", "NoIcon");
    EXPECT_EQ(plain->icon(), QMessageBox::NoIcon);
    EXPECT_EQ(plain->windowTitle(), "Title");
    EXPECT_EQ(plain->accessibleName(), "Title");
}

TEST(MessageBox, ShowsTitleAndTextOverTheMainWindow) {
    app();
    QMainWindow main;
    setMessageBoxOwner(&main);
    Answer ok{QMessageBox::Ok, {}, {}};
    ok.arm();
    messageBox("Code generation error", "Frame3 has no connection \u00B0");
    EXPECT_TRUE(ok.shown);
    EXPECT_EQ(ok.title, "Code generation error");
    EXPECT_EQ(ok.text, QString::fromUtf8("Frame3 has no connection \u00B0"));
    EXPECT_EQ(ok.icon, QMessageBox::Critical);
    setMessageBoxOwner(nullptr);
}

TEST(YesNoMessageBox, NoIsTheDefaultAndWarningAddsTheIcon) {
    app();
    auto box =
        makeYesNoMessageBox(nullptr, "Save Scenario", "Filename exists, overwrite?", "Warning");
    ASSERT_NE(box->defaultButton(), nullptr);
    EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
    EXPECT_EQ(box->icon(), QMessageBox::Warning);
    EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(makeYesNoMessageBox(nullptr, "t", "x", "NoIcon")->icon(), QMessageBox::NoIcon);
}

TEST(MessageBox, ButtonsTakeTheLanguageTablesWords) {
    app();
    seLanguage::yesText = "Ja";
    seLanguage::noText = "Nein";
    seLanguage::labelOkText = "Gut";
    auto question = makeYesNoMessageBox(nullptr, "t", "x", "Warning");
    auto message = makeMessageBox(nullptr, "t", "x", "NoIcon");
    seLanguage::restoreDefaults();
    EXPECT_EQ(question->button(QMessageBox::Yes)->text(), "Ja");
    EXPECT_EQ(question->button(QMessageBox::No)->text(), "Nein");
    EXPECT_EQ(question->button(QMessageBox::No)->accessibleName(), "Nein");
    EXPECT_EQ(message->button(QMessageBox::Ok)->text(), "Gut");
}

TEST(YesNoMessageBox, ReturnsTheAnswer) {
    app();
    QDialog dialog;
    Answer yes{QMessageBox::Yes, {}, {}};
    yes.arm();
    EXPECT_TRUE(yesNoMessageBox(&dialog, "Delete Scenario",
                                "Do you really want to delete this scenario ?", "Warning"));
    EXPECT_TRUE(yes.shown);
    EXPECT_EQ(yes.text, "Do you really want to delete this scenario ?");

    QMainWindow frame;
    Answer no{QMessageBox::No, {}, {}};
    no.arm();
    EXPECT_FALSE(yesNoMessageBox(&frame, "Exit", "Do you want to save changes ?", "NoIcon"));
    EXPECT_TRUE(no.shown);
}

TEST(YesNoMessageBox, FalseWithoutAskingForAnOwnerThatIsNoWindow) {
    app();
    QDialog dialog;
    auto* child = new QPushButton("inside", &dialog);
    EXPECT_FALSE(yesNoMessageBox(child, "t", "x", "Warning"));
    EXPECT_FALSE(yesNoMessageBox(nullptr, "t", "x", "Warning"));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

} // namespace
} // namespace crvl
