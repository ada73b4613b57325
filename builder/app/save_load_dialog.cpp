#include "builder/app/save_load_dialog.h"

#include "builder/core/builder_services.h"
#include "builder/core/builder_settings.h"
#include "builder/core/se_language.h"
#include "builder/core/tcl_control.h"
#include "builder/core/text_codec.h"
#include "builder/editor/save_load_rules.h"
#include "builder/views/view_style.h"
#include "builder/widgets/message_box.h"
#include "builder/widgets/text_fit.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>

#include <utility>

namespace crvl {

namespace {

std::optional<QString> systemFileDialog(QWidget* parent, bool save, const QString& title,
                                        const QString& directory, const QString& filter) {
    const QString chosen = save ? QFileDialog::getSaveFileName(parent, title, directory, filter)
                                : QFileDialog::getOpenFileName(parent, title, directory, filter);
    if (chosen.isEmpty()) {
        return std::nullopt;
    }
    return chosen;
}

bool askYesNo(QWidget* owner, const std::string& title, const std::string& text) {
    return yesNoMessageBox(owner, title, text, "Warning");
}

// A stored comment in the comment field's form: lines end in a line feed
// alone, as typed lines do, so the comment keeps its lines however often it
// is saved.
std::string fieldForm(const std::string& comment) {
    std::string text;
    for (std::size_t i = 0; i < comment.size(); ++i) {
        if (comment[i] == '\r') {
            text += '\n';
            if (i + 1 < comment.size() && comment[i + 1] == '\n') {
                ++i;
            }
        } else {
            text += comment[i];
        }
    }
    return text;
}

} // namespace

QFont dialogPixelFont(int pixels, bool bold) {
    return dialogFont(pixels, bold);
}

SaveLoadDialog::SaveLoadDialog(QWidget* owner, SaveLoadListener& editor, bool isSave,
                               const std::string& proposedName, TclControl& io)
    : QDialog(owner), parent_(editor), myTclWrapper_(io), isSave_(isSave),
      chooseFile_(systemFileDialog), ask_(askYesNo) {
    buildControls();
    setWindowTitle(qs(isSave_ ? seLanguage::saveScenarioText : seLanguage::loadScenarioText));
    textField1_->setText(qs(nameFromProposal(proposedName)));
    if (isSave_) {
        // An opened lesson proposes its own comment, whatever a scenario of
        // the same name says.
        std::optional<std::string> comment = editor.proposedComment();
        if (comment->empty()) {
            comment = readScenarioComment(myTclWrapper_, getFilename(), getPath());
        }
        if (comment) {
            comment_ = fieldForm(*comment);
            commentField_->setPlainText(qs(comment_));
        }
    } else {
        commentField_->setReadOnly(true);
    }
    delete_->setVisible(!isSave_);

    worker_.setInterval(WORKER_INTERVAL_MS);
    connect(&worker_, &QTimer::timeout, this, &SaveLoadDialog::workerPass);
    worker_.start();
    counted_ = true;
    ++instances_;
}

SaveLoadDialog::~SaveLoadDialog() {
    if (counted_) {
        --instances_;
    }
}

void SaveLoadDialog::buildControls() {
    setFixedSize(WIDTH, HEIGHT);
    fillDialogBackground(this);
    const QFont bold = dialogPixelFont(12, true);

    labelFilename_ = new QLabel(qs(seLanguage::labelFilenameText), this);
    labelFilename_->setObjectName(QStringLiteral("labelFilename"));
    labelFilename_->setGeometry(24, 13, 186, 17);
    growToShowText(*labelFilename_);

    textField1_ = new QLineEdit(this);
    textField1_->setObjectName(QStringLiteral("textField1"));
    textField1_->setGeometry(23, 31, 220, 27);
    textField1_->setAccessibleName(qs(seLanguage::labelFilenameText));
    labelFilename_->setBuddy(textField1_);

    list1_ = new QListWidget(this);
    list1_->setObjectName(QStringLiteral("list1"));
    list1_->setGeometry(23, 67, 221, 195);
    list1_->setSelectionMode(QAbstractItemView::SingleSelection);
    list1_->setAccessibleName(
        qs(isSave_ ? seLanguage::saveScenarioText : seLanguage::loadScenarioText));
    connect(list1_, &QListWidget::itemSelectionChanged, this, &SaveLoadDialog::onListSelection);

    auto makeButton = [&](const std::string& text, const char* name, QRect geometry) {
        auto* button = new QPushButton(qs(text), this);
        button->setObjectName(QLatin1String(name));
        button->setGeometry(geometry);
        button->setFont(bold);
        button->setAutoDefault(false);
        button->setAccessibleName(qs(text));
        growToShowText(*button);
        return button;
    };
    ok_ = makeButton(seLanguage::labelOkText, "okButton", {277, 107, 60, 24});
    cancel_ = makeButton(seLanguage::labelCancelText, "cancelButton", {276, 144, 60, 24});
    delete_ = makeButton(seLanguage::labelDeleteText, "deleteButton", {276, 180, 60, 24});
    browse_ = makeButton(seLanguage::labelBrowseText, "browseButton", {277, 247, 60, 24});
    // Enter in the name field presses OK, once: the key then belongs to the
    // question's No, which OK may have given the focus.
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &SaveLoadDialog::onOk);
    connect(cancel_, &QPushButton::clicked, this, &SaveLoadDialog::onCancel);
    connect(delete_, &QPushButton::clicked, this, [this] { onDelete_ = true; });
    connect(browse_, &QPushButton::clicked, this, [this] { onBrowse_ = true; });

    labelComment_ = new QLabel(qs(seLanguage::labelCommentText), this);
    labelComment_->setObjectName(QStringLiteral("labelComment"));
    labelComment_->setGeometry(24, 283, 216, 18);
    growToShowText(*labelComment_);

    commentField_ = new QPlainTextEdit(this);
    commentField_->setObjectName(QStringLiteral("commentField"));
    commentField_->setGeometry(23, 302, 220, 99);
    commentField_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    if (isSave_) {
        commentField_->setPlaceholderText(qs(seLanguage::addCommentsText));
    }
    commentField_->setAccessibleName(qs(seLanguage::labelCommentText));
    labelComment_->setBuddy(commentField_);

    buildOverwritePanel();
    buildProgressPanel();
}

// The question asked before a file is overwritten, over the list.
void SaveLoadDialog::buildOverwritePanel() {
    overwritePanel_ = new QFrame(this);
    overwritePanel_->setObjectName(QStringLiteral("overwritePanel"));
    overwritePanel_->setGeometry(55, 54, 258, 120);
    overwritePanel_->setFrameShape(QFrame::Box);
    question_ = new QLabel(overwritePanel_);
    question_->setObjectName(QStringLiteral("overwriteQuestion"));
    question_->setGeometry(QUESTION_GEOMETRY);
    question_->setFont(dialogPixelFont(14, false));
    question_->setWordWrap(true);
    question_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    yes_ = new QPushButton(qs(seLanguage::yesText), overwritePanel_);
    yes_->setObjectName(QStringLiteral("yesButton"));
    yes_->setGeometry(26, 60, 78, 29);
    yes_->setAccessibleName(qs(seLanguage::yesText));
    growToShowText(*yes_);
    no_ = new QPushButton(qs(seLanguage::noText), overwritePanel_);
    no_->setObjectName(QStringLiteral("noButton"));
    no_->setGeometry(134, 60, 74, 29);
    no_->setAccessibleName(qs(seLanguage::noText));
    growToShowText(*no_);
    connect(yes_, &QPushButton::clicked, this, [this] { onSaveScenario_ = true; });
    connect(no_, &QPushButton::clicked, this, &SaveLoadDialog::onNoOverwrite);
    overwritePanel_->hide();
}

// "Please wait..." while the worker saves or loads.
void SaveLoadDialog::buildProgressPanel() {
    progressPanel_ = new QFrame(this);
    progressPanel_->setObjectName(QStringLiteral("progressPanel"));
    progressPanel_->setGeometry(39, 209, 305, 40);
    progressLabel_ = new QLabel(qs(seLanguage::saveLoadProgressText), progressPanel_);
    progressLabel_->setObjectName(QStringLiteral("progressLabel"));
    progressLabel_->setGeometry(8, 4, 276, 24);
    growToShowText(*progressLabel_);
    progressPanel_->hide();
}

std::string SaveLoadDialog::nameText() const {
    return textField1_->text().toStdString();
}

std::string SaveLoadDialog::getFilename() const {
    return newPath_ ? filename_ : nameText() + Parameters::SCENARIO_EXTENSION;
}

std::string SaveLoadDialog::getPath() const {
    return newPath_ ? path_ : myTclWrapper_.baseDirectory() + Parameters::SCENARIO_DIR;
}

std::string SaveLoadDialog::getComment() const {
    return encodeComment(comment_);
}

std::optional<std::string> SaveLoadDialog::confirmedName() const {
    if (newPath_) {
        return std::nullopt;
    }
    return nameText();
}

void SaveLoadDialog::showEvent(QShowEvent* event) {
    if (QWidget* owner = parentWidget()) {
        const QRect area = owner->window()->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
    fillList();
    QDialog::showEvent(event);
}

void SaveLoadDialog::fillList() {
    const QSignalBlocker quiet(list1_);
    list1_->clear();
    MenuControl menus(Parameters::SCENARIO_DIR, myTclWrapper_, Parameters::SCENARIO_EXTENSION);
    for (const std::string& name : sortStrings(menus.getMenus())) {
        if (!name.empty()) {
            list1_->addItem(qs(name));
        }
    }
}

bool SaveLoadDialog::nameListed(const std::string& name) const {
    const QString wanted = qs(name);
    for (int i = 0; i < list1_->count(); ++i) {
        if (list1_->item(i)->text() == wanted) {
            return true;
        }
    }
    return false;
}

void SaveLoadDialog::onListSelection() {
    const auto selected = list1_->selectedItems();
    if (selected.isEmpty()) {
        textField1_->clear();
        return;
    }
    textField1_->setText(selected.front()->text());
    if (auto stored = readScenarioComment(myTclWrapper_, getFilename(), getPath())) {
        comment_ = fieldForm(*stored);
        commentField_->setPlainText(qs(comment_));
    }
}

void SaveLoadDialog::onOk() {
    if (okInert_) {
        return;
    }
    if (!acceptableScenarioName(nameText())) {
        parent_.sendTheBeep();
        const QSignalBlocker quiet(list1_);
        list1_->clearSelection();
        return;
    }
    if (isSave_ && refuseUnencodable(nameText())) {
        return;
    }
    okInert_ = true;
    textField1_->setText(qs(blanksToUnderscores(nameText())));
    if (!isSave_) {
        onLoadScenario_ = true;
        return;
    }
    bool exists = nameListed(nameText());
    std::string question = seLanguage::filenameExistsText;
    if (getFileReadOnly(getPath() + getFilename())) {
        question = seLanguage::fileReadOnlyText;
        readOnly_ = true;
    }
    if (nameText() == parent_.loadedFileName() && !readOnly_) {
        exists = false;
    }
    if (exists) {
        showQuestionText(question);
        showQuestion(true);
        no_->setFocus();
    } else {
        onSaveScenario_ = true;
    }
}

bool SaveLoadDialog::refuseUnencodable(const std::string& name) {
    // The name goes into the file too (its header names the scenario file).
    const TextEncoding encoding = currentEncoding();
    const std::string typed = name + commentField_->toPlainText().toStdString();
    const std::string refused = unencodableCharacters(typed, encoding);
    if (refused.empty()) {
        return false;
    }
    std::string shown;
    std::size_t pos = 0;
    while (pos < refused.size()) {
        const std::size_t start = pos;
        nextCodePoint(refused, pos);
        if (!shown.empty()) {
            shown += ' ';
        }
        shown.append(refused, start, pos - start);
    }
    makeMessageBox(this, seLanguage::saveScenarioText,
                   fillIn(seLanguage::unencodableText, {shown, encodingDisplayName(encoding)}),
                   "Warning")
        ->exec();
    return true;
}

void SaveLoadDialog::showQuestionText(const std::string& text) {
    question_->setGeometry(QUESTION_GEOMETRY);
    question_->setText(qs(text));
    // A long translation takes the panel's width (as far in from the right
    // as the question stands from the left), then the room above Yes.
    if (!textRoom(*question_)->fits()) {
        question_->resize(overwritePanel_->width() - 2 * QUESTION_GEOMETRY.x(),
                          QUESTION_GEOMETRY.height());
        growToShowText(*question_, 0, yes_->y() - QUESTION_GEOMETRY.y() - 2);
    }
}

void SaveLoadDialog::showQuestion(bool shown) {
    for (QWidget* control :
         {static_cast<QWidget*>(cancel_), static_cast<QWidget*>(ok_),
          static_cast<QWidget*>(browse_), static_cast<QWidget*>(textField1_),
          static_cast<QWidget*>(list1_), static_cast<QWidget*>(labelFilename_)}) {
        control->setVisible(!shown);
    }
    delete_->setVisible(!shown && !isSave_);
    overwritePanel_->setVisible(shown);
}

void SaveLoadDialog::onNoOverwrite() {
    readOnly_ = false;
    showQuestion(false);
    okInert_ = false;
}

void SaveLoadDialog::onCancel() {
    hide();
    report(seLanguage::SAVELOAD_CANCEL_ACTION);
}

void SaveLoadDialog::reject() {
    keepRunning_ = false;
    hide();
}

void SaveLoadDialog::dispose() {
    keepRunning_ = false;
    hide();
}

void SaveLoadDialog::report(const std::string& command) {
    parent_.saveLoadAction(*this, command);
}

void SaveLoadDialog::showOnlyProgress() {
    for (QObject* child : children()) {
        if (auto* widget = qobject_cast<QWidget*>(child); widget && widget != progressPanel_) {
            widget->hide();
        }
    }
    progressPanel_->show();
    progressPanel_->repaint();
}

void SaveLoadDialog::workerPass() {
    if (busy_) {
        return; // a file dialog or question of the previous pass is still open
    }
    if (!keepRunning_) {
        endWorker();
        return;
    }
    busy_ = true;
    if (firstPass_ && textField1_->isVisible()) {
        firstPass_ = false;
        textField1_->selectAll();
        textField1_->setFocus();
    }
    if (std::exchange(onSaveScenario_, false)) {
        workerSave();
    }
    if (std::exchange(onLoadScenario_, false)) {
        workerLoad();
    }
    if (std::exchange(onBrowse_, false)) {
        workerBrowse();
    }
    if (std::exchange(onDelete_, false)) {
        workerDelete();
    }
    busy_ = false;
}

void SaveLoadDialog::endWorker() {
    worker_.stop();
    if (counted_) {
        counted_ = false;
        --instances_;
        emit workerEnded();
    }
}

void SaveLoadDialog::workerSave() {
    if (readOnly_) {
        setFileAttributeNormal(getPath() + getFilename());
        readOnly_ = false;
    }
    takeTypedComment();
    showOnlyProgress();
    report(seLanguage::SAVE_OK_ACTION);
    hide();
}

void SaveLoadDialog::takeTypedComment() {
    comment_ = commentField_->toPlainText().toStdString();
    if (comment_ == seLanguage::addCommentsText) {
        comment_.clear();
    }
}

void SaveLoadDialog::workerLoad() {
    showOnlyProgress();
    report(seLanguage::LOAD_OK_ACTION);
    hide();
}

void SaveLoadDialog::workerBrowse() {
    for (QPushButton* button : {ok_, cancel_, browse_, delete_}) {
        button->setEnabled(false);
    }
    const QString start = QDir::toNativeSeparators(qs(getPath()));
    const QString title = QLatin1String(isSave_ ? "Save" : "Load");
    const QString filter =
        qs(seLanguage::scenarioFilesText) + QLatin1String(isSave_ ? " (*.scn)" : " (*.scn *.tcl)");
    if (const auto chosen = chooseFile_(this, isSave_, title, start, filter)) {
        const QFileInfo file(QDir::fromNativeSeparators(*chosen));
        std::string name = file.fileName().toStdString();
        if (!name.empty()) {
            path_ = file.absolutePath().toStdString() + "/";
            newPath_ = true;
            if (isSave_ && !name.ends_with(Parameters::SCENARIO_EXTENSION)) {
                name += Parameters::SCENARIO_EXTENSION;
            }
            if (isSave_) {
                takeTypedComment();
            }
            filename_ = name;
            if (isSave_ && refuseUnencodable(name)) {
                newPath_ = false;
                for (QPushButton* button : {ok_, cancel_, browse_, delete_}) {
                    button->setEnabled(true);
                }
                return;
            }
            report(isSave_ ? seLanguage::SAVE_OK_ACTION : seLanguage::LOAD_OK_ACTION);
        }
    }
    newPath_ = false;
    for (QPushButton* button : {ok_, cancel_, browse_, delete_}) {
        button->setEnabled(true);
    }
}

void SaveLoadDialog::workerDelete() {
    newPath_ = false;
    textField1_->setText(qs(blanksToUnderscores(nameText())));
    if (!nameListed(nameText())) {
        parent_.sendTheBeep();
        return;
    }
    const std::string target = getPath() + getFilename();
    if (getFileReadOnly(target)) {
        setFileAttributeNormal(target);
    }
    if (ask_(this, seLanguage::deleteDialogTitle, seLanguage::deleteDialogText)) {
        deleteFile(target);
        fillList();
        textField1_->clear();
    }
}

} // namespace crvl
