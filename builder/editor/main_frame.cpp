#include "main_frame.h"

#include "builder_console.h"
#include "builder_services.h"
#include "message_box.h"
#include "parameters.h"
#include "scenario_editor_applet.h"
#include "se_language.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QMenuBar>

#include <iostream>

namespace crvl {

namespace {

// Menu texts are shown as they stand: an "&" is not a mnemonic.
QString menuText(const std::string& text) {
    return QString::fromStdString(text).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

constexpr std::size_t slotOf(MainFrame::MenuCommand command) {
    return static_cast<std::size_t>(command);
}

} // namespace

MainFrame::MainFrame(ScenarioEditorApplet* editor, BuilderArguments args, std::string baseDirectory)
    : editor_(editor), args_(std::move(args)), baseDirectory_(std::move(baseDirectory)) {
    mySelf = this;
    setObjectName(QStringLiteral("mainFrame"));
    setMessageBoxOwner(this);
    editor_->setFrame(this);
    barebones_ = args_.barebones();
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

void MainFrame::buildMenuBar() {
    QMenuBar* mb = menuBar();
    mb->setObjectName(QStringLiteral("mb"));
    mFile_ = mb->addMenu(menuText(seLanguage::menuFile));
    mFile_->setObjectName(QStringLiteral("mFile"));
    struct Item {
        MenuCommand command;
        QMenu* menu;
        const char* name;
    };
    const Item order[] = {
        {MenuCommand::New, mFile_, "mItemNew"},   {MenuCommand::Load, mFile_, "mItemLoad"},
        {MenuCommand::Save, mFile_, "mItemSave"}, {MenuCommand::Print, mFile_, "mItemPrint"},
        {MenuCommand::Exit, mFile_, "mItemExit"},
    };
    for (const Item& item : order) {
        items_[slotOf(item.command)] = item.menu->addAction(QString());
        items_[slotOf(item.command)]->setObjectName(QString::fromLatin1(item.name));
    }
    mHelp_ = mb->addMenu(menuText(seLanguage::menuHelp));
    mHelp_->setObjectName(QStringLiteral("mHelp"));
    items_[slotOf(MenuCommand::About)] = mHelp_->addAction(QString());
    items_[slotOf(MenuCommand::About)]->setObjectName(QStringLiteral("mItemAbout"));
    items_[slotOf(MenuCommand::Help)] = mHelp_->addAction(QString());
    items_[slotOf(MenuCommand::Help)]->setObjectName(QStringLiteral("mItemHelp"));
    relabelMenus();
    connect(mb, &QMenuBar::triggered, this,
            [this](QAction* action) { menuCommand(action->text()); });
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
    mFile_->setTitle(menuText(seLanguage::menuFile));
    mHelp_->setTitle(menuText(seLanguage::menuHelp));
}

QAction* MainFrame::menuItem(MenuCommand command) const {
    return items_[slotOf(command)];
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
        switch (static_cast<MenuCommand>(k)) {
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
        return true;
    }
    return false;
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

void MainFrame::newScenario() {
    editor_->newTool_mouseClicked();
}

void MainFrame::load() {
    editor_->loadTool_mouseClicked();
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
    services_.openHelp(base + "picts/ScenarioLogoBig.gif", base + Parameters::SCENARIO_EDIT_HELP,
                       browserButtonsTexts_);
}

void MainFrame::setBrowserButtonsTexts(std::string back, std::string forward, std::string print,
                                       std::string close) {
    browserButtonsTexts_ = {std::move(back), std::move(forward), std::move(print),
                            std::move(close)};
}

void MainFrame::doClose() {
    if (BuilderState::isFileChanged() && services_.askSaveChanges) {
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
