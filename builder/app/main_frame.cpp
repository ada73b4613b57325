#include "builder/app/main_frame.h"

#include "builder/app/scenario_editor_applet.h"
#include "builder/core/builder_console.h"
#include "builder/core/builder_language.h"
#include "builder/core/builder_services.h"
#include "builder/core/builder_settings.h"
#include "builder/core/se_language.h"
#include "builder/editor/recent_scenarios.h"
#include "builder/widgets/message_box.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QIcon>
#include <QMenuBar>
#include <QSettings>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <utility>

namespace crvl {

namespace {

// Menu texts are shown as they stand: an "&" is not a mnemonic.
QString menuText(const std::string& text) {
    return QString::fromStdString(text).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

constexpr std::size_t slotOf(MainFrame::MenuCommand command) {
    return static_cast<std::size_t>(command);
}

constexpr std::size_t slotOf(MainFrame::EditCommand command) {
    return static_cast<std::size_t>(command);
}

QSettings userSettings() {
    return QSettings(QSettings::UserScope, QString::fromLatin1(MainFrame::SETTINGS_ORGANISATION),
                     QString::fromLatin1(MainFrame::SETTINGS_APPLICATION));
}

RecentScenarios storedRecentScenarios() {
    std::vector<std::string> entries;
    for (const QString& entry : userSettings()
                                    .value(QString::fromLatin1(MainFrame::RECENT_SCENARIOS_KEY))
                                    .toStringList()) {
        entries.push_back(entry.toStdString());
    }
    return RecentScenarios(entries);
}

} // namespace

MainFrame::MainFrame(ScenarioEditorApplet* editor, BuilderArguments args, std::string baseDirectory)
    : editor_(editor), args_(std::move(args)), baseDirectory_(std::move(baseDirectory)) {
    mySelf = this;
    setObjectName(QStringLiteral("mainFrame"));
    setMessageBoxOwner(this);
    editor_->setFrame(this);
    barebones_ = args_.barebones();
    createActions();
    if (!barebones_) {
        buildMenuBar();
    }
    setCentralWidget(editor_);
    setWindowTitle(QString::fromStdString(applName));
    setAccessibleName(QString::fromStdString(applName));
    const QIcon icon(QString::fromStdString(baseDirectory_ + "picts/ScenarioLogoBig.gif"));
    if (!icon.isNull()) {
        setWindowIcon(icon);
    }
    resize(args_.width(1) + FRAME_EXTRA_WIDTH, args_.height(1) + FRAME_EXTRA_HEIGHT);
    connect(editor_, &ScenarioEditorApplet::statusChanged, this,
            [this](const QString& text) { showStatus(text.toStdString()); });
    showStatus(applName + " initializing...");

    loop_.setInterval(LOOP_INTERVAL_MS);
    connect(&loop_, &QTimer::timeout, this, &MainFrame::tick);
    QTimer::singleShot(0, this, [this] {
        startUp();
        loop_.start();
    });
}

MainFrame::~MainFrame() {
    if (mySelf == this) {
        mySelf = nullptr;
    }
}

// The actions belong to the window, so that their shortcuts work without a
// menu bar too.
void MainFrame::createActions() {
    struct Item {
        MenuCommand command;
        const char* name;
        QList<QKeySequence> keys;
    };
    const Item items[] = {
        {MenuCommand::New, "mItemNew", {QKeySequence(Qt::CTRL | Qt::Key_N)}},
        {MenuCommand::Load, "mItemLoad", {QKeySequence(Qt::CTRL | Qt::Key_O)}},
        {MenuCommand::Save, "mItemSave", {QKeySequence(Qt::CTRL | Qt::Key_S)}},
        {MenuCommand::Print, "mItemPrint", {QKeySequence(Qt::CTRL | Qt::Key_P)}},
        {MenuCommand::Exit, "mItemExit", {QKeySequence(Qt::CTRL | Qt::Key_Q)}},
        {MenuCommand::About, "mItemAbout", {}},
        {MenuCommand::Help, "mItemHelp", {QKeySequence(Qt::Key_F1)}},
    };
    for (const Item& item : items) {
        auto* action = new QAction(this);
        action->setObjectName(QString::fromLatin1(item.name));
        action->setShortcuts(item.keys);
        addAction(action);
        // With a menu bar the chosen text decides (menuCommand).
        const MenuCommand command = item.command;
        connect(action, &QAction::triggered, this, [this, command] {
            if (mFile_ == nullptr) {
                runCommand(command);
            }
        });
        items_[slotOf(command)] = action;
    }
    struct EditItem {
        EditCommand command;
        const char* name;
        QList<QKeySequence> keys;
    };
    const EditItem editItems[] = {
        {EditCommand::Undo, "mItemUndo", {QKeySequence(Qt::CTRL | Qt::Key_Z)}},
        {EditCommand::Redo,
         "mItemRedo",
         {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)}},
        {EditCommand::Copy, "mItemCopy", {QKeySequence(Qt::CTRL | Qt::Key_C)}},
        {EditCommand::Paste, "mItemPaste", {QKeySequence(Qt::CTRL | Qt::Key_V)}},
    };
    for (const EditItem& item : editItems) {
        auto* action = new QAction(this);
        action->setObjectName(QString::fromLatin1(item.name));
        action->setShortcuts(item.keys);
        addAction(action);
        const EditCommand command = item.command;
        connect(action, &QAction::triggered, this, [this, command] { runEditCommand(command); });
        editItems_[slotOf(command)] = action;
    }
    connect(editor_, &ScenarioEditorApplet::editHistoryChanged, this, &MainFrame::updateEditMenu);
}

void MainFrame::buildMenuBar() {
    QMenuBar* mb = menuBar();
    mb->setObjectName(QStringLiteral("mb"));
    mFile_ = mb->addMenu(menuText(seLanguage::menuFile));
    mFile_->setObjectName(QStringLiteral("mFile"));
    for (MenuCommand command :
         {MenuCommand::New, MenuCommand::Load, MenuCommand::Save, MenuCommand::Print}) {
        mFile_->addAction(items_[slotOf(command)]);
    }
    mRecent_ = mFile_->addMenu(menuText(seLanguage::menuRecent));
    mRecent_->setObjectName(QStringLiteral("mRecent"));
    connect(mRecent_, &QMenu::aboutToShow, this, &MainFrame::fillRecentMenu);
    fillRecentMenu();
    mFile_->addAction(items_[slotOf(MenuCommand::Exit)]);
    buildEditMenu(mb);
    mHelp_ = mb->addMenu(menuText(seLanguage::menuHelp));
    mHelp_->setObjectName(QStringLiteral("mHelp"));
    mHelp_->addAction(items_[slotOf(MenuCommand::About)]);
    mHelp_->addAction(items_[slotOf(MenuCommand::Help)]);
    relabelMenus();
    connect(mb, &QMenuBar::triggered, this, [this](QAction* action) {
        if (std::find(items_.begin(), items_.end(), action) != items_.end()) {
            menuCommand(action->text());
        }
    });
}

void MainFrame::buildEditMenu(QMenuBar* mb) {
    mEdit_ = mb->addMenu(menuText(seLanguage::menuEdit));
    mEdit_->setObjectName(QStringLiteral("mEdit"));
    for (QAction* item : editItems_) {
        mEdit_->addAction(item);
    }
}

void MainFrame::relabelMenus() {
    if (mFile_ == nullptr) {
        return;
    }
    const std::pair<MenuCommand, const std::string*> texts[] = {
        {MenuCommand::New, &seLanguage::menuItemNew},
        {MenuCommand::Load, &seLanguage::menuItemLoad},
        {MenuCommand::Save, &seLanguage::menuItemSave},
        {MenuCommand::Print, &seLanguage::menuItemPrint},
        {MenuCommand::Exit, &seLanguage::menuItemExit},
        {MenuCommand::About, &seLanguage::menuItemAbout},
        {MenuCommand::Help, &seLanguage::menuItemHelp},
    };
    for (const auto& [command, text] : texts) {
        items_[slotOf(command)]->setText(menuText(*text));
    }
    editItem(EditCommand::Copy)->setText(menuText(seLanguage::menuItemCopy));
    editItem(EditCommand::Paste)->setText(menuText(seLanguage::menuItemPaste));
    updateEditMenu();
    mFile_->setTitle(menuText(seLanguage::menuFile));
    mRecent_->setTitle(menuText(seLanguage::menuRecent));
    mEdit_->setTitle(menuText(seLanguage::menuEdit));
    mHelp_->setTitle(menuText(seLanguage::menuHelp));
}

QAction* MainFrame::menuItem(MenuCommand command) const {
    return items_[slotOf(command)];
}

QAction* MainFrame::editItem(EditCommand command) const {
    return editItems_[slotOf(command)];
}

void MainFrame::updateEditMenu() {
    const ScenarioEditorCore& core = editor_->core();
    QAction* undo = editItem(EditCommand::Undo);
    undo->setText(menuText(core.undoText()));
    undo->setEnabled(core.canUndo());
    QAction* redo = editItem(EditCommand::Redo);
    redo->setText(menuText(core.redoText()));
    redo->setEnabled(core.canRedo());
}

void MainFrame::runEditCommand(EditCommand command) {
    ScenarioEditorCore& core = editor_->core();
    switch (command) {
    case EditCommand::Undo:
        core.undo();
        break;
    case EditCommand::Redo:
        core.redo();
        break;
    case EditCommand::Copy:
        if (const std::string text = core.copySelection(); !text.empty()) {
            QGuiApplication::clipboard()->setText(QString::fromStdString(text));
        }
        break;
    case EditCommand::Paste:
        core.paste(QGuiApplication::clipboard()->text().toStdString());
        break;
    }
}

void MainFrame::rememberScenario(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    RecentScenarios recent = storedRecentScenarios();
    recent.add(ec ? path : absolute.string());
    QStringList entries;
    for (const std::string& entry : recent.entries()) {
        entries << QString::fromStdString(entry);
    }
    QSettings settings = userSettings();
    settings.setValue(QString::fromLatin1(RECENT_SCENARIOS_KEY), entries);
    settings.sync();
    fillRecentMenu();
}

void MainFrame::fillRecentMenu() {
    if (mRecent_ == nullptr) {
        return;
    }
    mRecent_->clear();
    int number = 0;
    for (const std::string& path : storedRecentScenarios().existing()) {
        QAction* item =
            mRecent_->addAction(QString::number(++number) + QLatin1Char(' ') + menuText(path));
        connect(item, &QAction::triggered, this, [this, path] { openRecent(path); });
    }
    mRecent_->setEnabled(number > 0);
}

void MainFrame::openRecent(const std::string& path) {
    openAfterAsking([this, path] { editor_->core().loadScenarioFile(path); });
}

void MainFrame::openAfterAsking(std::function<void()> open) {
    if (BuilderState::isFileChanged()) {
        if (!services_.askSaveChanges) {
            QApplication::beep();
            return;
        }
        // Answering No goes on through load(), which runs open.
        openPending_ = std::move(open);
        services_.askSaveChanges("loading");
        openPending_ = nullptr;
        return;
    }
    open();
}

bool MainFrame::menuCommand(const QString& text) {
    if (mFile_ == nullptr) {
        return false;
    }
    // items_ is in the matching order: the first equal text decides.
    for (std::size_t k = 0; k < items_.size(); ++k) {
        if (items_[k]->text() != text) {
            continue;
        }
        runCommand(static_cast<MenuCommand>(k));
        return true;
    }
    return false;
}

void MainFrame::runCommand(MenuCommand command) {
    switch (command) {
    case MenuCommand::Exit:
        doClose();
        break;
    case MenuCommand::New:
        newScenario();
        break;
    case MenuCommand::Load:
        load();
        break;
    case MenuCommand::Save:
        save();
        break;
    case MenuCommand::Print:
        showPrintDialog();
        break;
    case MenuCommand::About:
        requestAbout();
        break;
    case MenuCommand::Help:
        doHelp(BuilderState::getDocumentBase());
        break;
    }
}

void MainFrame::startUp() {
    if (started_) {
        return;
    }
    started_ = true;
    showStatus(applName + " starting...");
    editor_->init(baseDirectory_);
    editor_->commands().print = [this] { showPrintDialog(); };
    editor_->commands().help = [this] { doHelp(BuilderState::getDocumentBase()); };
    editor_->commands().scenarioFileUsed = [this](const std::string& path) {
        rememberScenario(path);
    };
    setBrowserButtonsTexts(seLanguage::helpBack, seLanguage::helpForward, seLanguage::helpPrint,
                           seLanguage::helpClose);
    // The editor has set its own size; the window follows it.
    const QSize editorSize = ScenarioEditorApplet::EDITOR_SIZE;
    resize(editorSize.width() + FRAME_EXTRA_WIDTH, editorSize.height() + FRAME_EXTRA_HEIGHT);
    editor_->layoutApplet();
    relabelMenus();
    emit menusRelabelled();
    showStatus("");
    if (qEnvironmentVariableIsSet(STARTUP_PROBE)) {
        probeStartup_ = true;
        editor_->bigPanel()->installEventFilter(this);
    }
}

bool MainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (probeStartup_ && event->type() == QEvent::Paint) {
        probeStartup_ = false;
        std::cout << "canvas painted" << std::endl;
        QMetaObject::invokeMethod(
            this, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainFrame::printPending(bool& flag, const std::string& mode, int fontSize) {
    auto& editor = editor_->core();
    editor.setPrintingFont(FontSpec{"Dialog", fontSize, false});
    if (services_.print) {
        services_.print(mode);
    }
    if (services_.hidePrintDialog) {
        services_.hidePrintDialog();
    }
    flag = false;
}

void MainFrame::tick() {
    if (doPrintOnePage_) {
        consoleLine("Start of Print One Page!");
        printPending(doPrintOnePage_, "print1Page", 10);
        consoleLine("End of Print One Page!");
    }
    if (doPrintTwoPages_) {
        consoleLine("Two Pages!");
        printPending(doPrintTwoPages_, "print2Pages", 7);
    }
    if (showHelpAbout_) {
        showHelpAbout_ = false;
        crvl::messageBox(seLanguage::menuItemAbout, aboutText(), "NoIcon");
        editor_->core().startRefreshConnectionsTimer();
    }
    editor_->core().tickTimers();
}

std::string MainFrame::aboutText() {
    return applName +
           "\n\nDraws training scenarios for the Corvel trainer: frames with their actions "
           "and events, joined by connections, saved as scenario files that the "
           "configuration tool uploads to the trainer.";
}

void MainFrame::newScenario(UnsavedChanges changes) {
    editor_->newTool_mouseClicked(changes);
}

void MainFrame::load(UnsavedChanges changes) {
    if (openPending_) {
        std::exchange(openPending_, nullptr)();
        return;
    }
    editor_->loadTool_mouseClicked(changes);
}

void MainFrame::save() {
    editor_->saveTool_mouseClicked();
}

void MainFrame::showPrintDialog() {
    if (doPrintOnePage_ || doPrintTwoPages_ || !services_.openPrintDialog) {
        QApplication::beep();
        return;
    }
    services_.openPrintDialog();
    editor_->core().startRefreshConnectionsTimer();
}

void MainFrame::doHelp(const std::string& base) {
    if (!services_.openHelp) {
        QApplication::beep();
        return;
    }
    services_.openHelp(
        base + "picts/ScenarioLogoBig.gif",
        base + helpPageFor(base, seLanguage::language(), Parameters::SCENARIO_EDIT_HELP),
        browserButtonsTexts_);
}

void MainFrame::setBrowserButtonsTexts(std::string back, std::string forward, std::string print,
                                       std::string close) {
    browserButtonsTexts_ = {std::move(back), std::move(forward), std::move(print),
                            std::move(close)};
}

void MainFrame::doClose(UnsavedChanges changes) {
    if (changes == UnsavedChanges::Ask && BuilderState::isFileChanged() &&
        services_.askSaveChanges) {
        services_.askSaveChanges("closing");
        return;
    }
    loop_.stop();
    hide();
    closed_ = true;
    QCoreApplication::exit(0);
}

void MainFrame::closeEvent(QCloseEvent* event) {
    event->ignore();
    doClose();
}

} // namespace crvl
