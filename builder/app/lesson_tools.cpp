#include "builder/app/lesson_tools.h"

#include "builder/app/main_frame.h"
#include "builder/app/scenario_editor_applet.h"
#include "builder/core/se_language.h"
#include "builder/core/tcl_control.h"
#include "builder/editor/scenario_editor_core.h"
#include "builder/widgets/message_box.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace crvl {

namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

QString menuText(const std::string& text) {
    return qs(text).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

// A stored comment's lines end in CR LF; the text field wants line feeds.
QString commentText(const std::string& comment) {
    return qs(comment).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

LessonDialog::LessonDialog(QWidget* owner, std::vector<LessonEntry> lessons)
    : QDialog(owner), lessons_(std::move(lessons)) {
    setObjectName(QStringLiteral("lessonDialog"));
    setWindowTitle(qs(seLanguage::lessonWindowTitle));
    setModal(true);

    listLabel_ = new QLabel(qs(seLanguage::lessonListLabel), this);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("lessonList"));
    list_->setAccessibleName(qs(seLanguage::lessonListLabel));
    listLabel_->setBuddy(list_);
    for (const LessonEntry& lesson : lessons_) {
        list_->addItem(qs(lesson.name));
    }

    commentLabel_ = new QLabel(qs(seLanguage::lessonCommentLabel), this);
    comment_ = new QPlainTextEdit(this);
    comment_->setObjectName(QStringLiteral("lessonComment"));
    comment_->setAccessibleName(qs(seLanguage::lessonCommentLabel));
    comment_->setReadOnly(true);
    comment_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    commentLabel_->setBuddy(comment_);

    buttons_ = new QDialogButtonBox(this);
    open_ = buttons_->addButton(qs(seLanguage::lessonOpenButton), QDialogButtonBox::AcceptRole);
    open_->setObjectName(QStringLiteral("lessonOpen"));
    cancel_ = buttons_->addButton(qs(seLanguage::labelCancelText), QDialogButtonBox::RejectRole);
    cancel_->setObjectName(QStringLiteral("lessonCancel"));
    open_->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(listLabel_);
    layout->addWidget(list_, 3);
    layout->addWidget(commentLabel_);
    layout->addWidget(comment_, 2);
    layout->addWidget(buttons_);
    resize(520, 440);

    connect(list_, &QListWidget::currentRowChanged, this, &LessonDialog::showChosen);
    connect(list_, &QListWidget::itemActivated, this, [this] { accept(); });
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    if (!lessons_.empty()) {
        list_->setCurrentRow(0);
    }
    showChosen();
    list_->setFocus();
}

std::optional<LessonEntry> LessonDialog::chosen() const {
    const int row = list_->currentRow();
    if (row < 0 || row >= int(lessons_.size())) {
        return std::nullopt;
    }
    return lessons_[std::size_t(row)];
}

void LessonDialog::showChosen() {
    const std::optional<LessonEntry> lesson = chosen();
    comment_->setPlainText(lesson ? commentText(lesson->comment) : QString());
    open_->setEnabled(lesson.has_value());
}

LessonTools::LessonTools(MainFrame& window) : QObject(&window), window_(window) {
    setObjectName(QStringLiteral("lessonTools"));
    action_ = new QAction(&window);
    action_->setObjectName(QStringLiteral("mItemOpenLesson"));
    action_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    connect(action_, &QAction::triggered, this, &LessonTools::openLesson);
    if (QMenu* file = window.fileMenu()) {
        // Beside Load, which opens the user's own scenarios.
        file->insertAction(window.menuItem(MainFrame::MenuCommand::Save), action_);
    } else {
        window.addAction(action_);
    }
    choose_ = [this](const std::vector<LessonEntry>& lessons) { return chooseInDialog(lessons); };
    connect(&window, &MainFrame::menusRelabelled, this, &LessonTools::relabel);
    relabel();
}

void LessonTools::relabel() {
    action_->setText(menuText(seLanguage::menuItemOpenLesson));
}

void LessonTools::openLesson() {
    ScenarioEditorCore& core = window_.editor().core();
    TclControl* io = core.getTclControl();
    if (io == nullptr) {
        core.sendTheBeep();
        return;
    }
    const std::vector<LessonEntry> lessons = listLessons(*io, seLanguage::lessonsFolder);
    if (lessons.empty()) {
        messageBox(seLanguage::lessonWindowTitle,
                   fillIn(seLanguage::noLessonsText, {io->baseDirectory() + kLessonsFolder}),
                   "Exclamation");
        return;
    }
    const std::optional<LessonEntry> lesson = choose_(lessons);
    if (!lesson) {
        return;
    }
    window_.openAfterAsking([&core, lesson = *lesson] {
        core.loadLesson(lesson.path, lesson.filename, lesson.comment);
    });
}

std::optional<LessonEntry> LessonTools::chooseInDialog(const std::vector<LessonEntry>& lessons) {
    LessonDialog dialog(&window_, lessons);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.chosen();
}

LessonTools& installLessonTools(MainFrame& window) {
    return *new LessonTools(window);
}

} // namespace crvl
