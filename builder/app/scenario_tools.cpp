#include "builder/app/scenario_tools.h"

#include "builder/app/main_frame.h"
#include "builder/app/scenario_editor_applet.h"
#include "builder/app/scenario_windows.h"
#include "builder/core/se_language.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace crvl {

namespace {

QString menuText(const std::string& text) {
    return QString::fromStdString(text).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

void bringUp(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

ScenarioTools::ScenarioTools(MainFrame& window) : QObject(&window), window_(window) {
    setObjectName(QStringLiteral("scenarioTools"));
    check_ = new QAction(&window);
    check_->setObjectName(QStringLiteral("mItemCheckScenario"));
    check_->setShortcut(QKeySequence(Qt::Key_F7));
    try_ = new QAction(&window);
    try_->setObjectName(QStringLiteral("mItemTryScenario"));
    try_->setShortcut(QKeySequence(Qt::Key_F5));
    for (QAction* action : {check_, try_})
        action->setShortcutContext(Qt::ApplicationShortcut);
    connect(check_, &QAction::triggered, this, &ScenarioTools::checkScenario);
    connect(try_, &QAction::triggered, this, &ScenarioTools::tryScenario);

    QMenuBar* bar = window.arguments().barebones() ? nullptr : window.menuBar();
    if (bar != nullptr) {
        menu_ = new QMenu(bar);
        menu_->setObjectName(QStringLiteral("mScenario"));
        menu_->addAction(check_);
        menu_->addAction(try_);
        // Just before Help: File and Edit stay in front.
        auto* help = bar->findChild<QMenu*>(QStringLiteral("mHelp"));
        bar->insertMenu(help != nullptr ? help->menuAction() : nullptr, menu_);
    } else {
        window.addAction(check_);
        window.addAction(try_);
    }
    connect(&window, &MainFrame::menusRelabelled, this, &ScenarioTools::relabel);
    relabel();
}

void ScenarioTools::relabel() {
    if (menu_ != nullptr)
        menu_->setTitle(menuText(seLanguage::menuScenario));
    check_->setText(menuText(seLanguage::menuItemCheckScenario));
    try_->setText(menuText(seLanguage::menuItemTryScenario));
    if (checkWindow_ != nullptr)
        checkWindow_->retranslate();
    if (tryWindow_ != nullptr)
        tryWindow_->retranslate();
}

void ScenarioTools::checkScenario() {
    if (checkWindow_ == nullptr)
        checkWindow_ = new ScenarioCheckWindow(window_.editor(), &window_);
    checkWindow_->recheck();
    bringUp(checkWindow_);
}

void ScenarioTools::tryScenario() {
    if (tryWindow_ == nullptr)
        tryWindow_ = new ScenarioTryWindow(window_.editor(), &window_);
    bringUp(tryWindow_);
    tryWindow_->restart();
}

ScenarioTools& installScenarioTools(MainFrame& window) {
    return *new ScenarioTools(window);
}

} // namespace crvl
