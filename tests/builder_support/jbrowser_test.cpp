// The help window: its band, status bar and placement, navigation before
// the page view exists, history, closing, and a walk over every internal
// link of the shipped help pages.

#include "builder/core/builder_console.h"
#include "builder/core/builder_language.h"
#include "builder/support/jbrowser.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace crvl {
namespace {

const QString dataDir = QStringLiteral(CRVL_SOURCE_DIR "/builder/data");
const QString helpDir = dataDir + QStringLiteral("/help");

class HelpBrowser : public ::testing::Test {
protected:
    void SetUp() override {
        previousSink = setConsoleSink([this](std::string_view l) { console.emplace_back(l); });
    }
    void TearDown() override {
        for (auto& w : windows) {
            delete w.data();
        }
        setConsoleSink(previousSink);
    }
    JBrowser* open(const QString& page) {
        auto* w = new JBrowser(QStringLiteral("file:/") + dataDir + "/picts/ScenarioLogoBig.gif",
                               page, {"Back", "Forward", "Print", "Close"}, dataDir);
        windows.push_back(w);
        return w;
    }
    static QString shown(JBrowser* w) { return w->view()->source().fileName(); }
    static QPushButton* button(JBrowser* w, JBrowser::BandButton b) { return w->button(b); }

    std::vector<QPointer<JBrowser>> windows;
    std::vector<std::string> console;
    ConsoleSink previousSink;
};

TEST_F(HelpBrowser, WindowHasItsBandStatusBarAndPlace) {
    JBrowser* w = open(helpDir + "/Se.html");
    EXPECT_EQ(w->windowTitle(), "Brisoma Help");
    EXPECT_EQ(w->pos(), QPoint(0, 0));
    EXPECT_EQ(w->size(), QSize(791, 641));
    EXPECT_FALSE(w->windowIcon().isNull());
    const QStringList texts{"Back", "Forward", "Print", "Close"};
    int i = 0;
    for (auto b : {JBrowser::BandButton::Back, JBrowser::BandButton::Forward,
                   JBrowser::BandButton::Print, JBrowser::BandButton::Close}) {
        EXPECT_EQ(button(w, b)->text(), texts[i++]);
        EXPECT_FALSE(button(w, b)->icon().isNull());
    }
    EXPECT_FALSE(button(w, JBrowser::BandButton::Back)->isEnabled());
    EXPECT_FALSE(button(w, JBrowser::BandButton::Forward)->isEnabled());
    EXPECT_EQ(w->statusLabel()->text(), "Status");
    EXPECT_EQ(w->progressBar()->sizeHint(), QSize(300, 20));
    EXPECT_EQ(w->progressBar()->minimumSizeHint(), QSize(300, 20));
    EXPECT_EQ(console.back(), "ready to exit browser constructor");

    w->progressChange(30, 0);
    EXPECT_EQ(w->progressBar()->maximum(), 100);
    EXPECT_EQ(w->progressBar()->value(), 30);
    w->progressChange(-4, 50);
    EXPECT_EQ(w->progressBar()->maximum(), 50);
    EXPECT_EQ(w->progressBar()->value(), 0);
    w->statusTextChange("Loading");
    EXPECT_EQ(w->statusLabel()->text(), "Loading");
}

TEST_F(HelpBrowser, NavigationBeforeTheViewExistsIsCarriedOutOnCreation) {
    JBrowser* w = open(helpDir + "/Se.html");
    EXPECT_FALSE(w->isBrowserComplete());
    w->navigate(helpDir + "/printing.html");
    EXPECT_TRUE(w->view()->source().isEmpty());
    QCoreApplication::processEvents();
    EXPECT_TRUE(w->isBrowserComplete());
    EXPECT_EQ(shown(w), "printing.html");
    EXPECT_EQ(w->windowTitle(), w->view()->documentTitle());
    EXPECT_NE(w->windowTitle(), "Brisoma Help");
    const std::vector<std::string> expected{"browser created!", "Download Begin",
                                            "Download Complete", "navigate finished!"};
    ASSERT_GE(console.size(), expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), console.end() - 4));
    EXPECT_TRUE(w->progressBar()->isHidden());
}

TEST_F(HelpBrowser, BackAndForwardFollowTheHistory) {
    JBrowser* w = open(helpDir + "/Se.html");
    QCoreApplication::processEvents();
    EXPECT_EQ(shown(w), "Se.html");
    w->navigate(helpDir + "/tools.html");
    w->navigate(helpDir + "/saving.html");
    auto* back = button(w, JBrowser::BandButton::Back);
    auto* forward = button(w, JBrowser::BandButton::Forward);
    EXPECT_TRUE(back->isEnabled());
    EXPECT_FALSE(forward->isEnabled());
    back->click();
    EXPECT_EQ(shown(w), "tools.html");
    EXPECT_TRUE(forward->isEnabled());
    back->click();
    EXPECT_EQ(shown(w), "Se.html");
    EXPECT_FALSE(back->isEnabled());
    forward->click();
    EXPECT_EQ(shown(w), "tools.html");
    EXPECT_EQ(w->windowTitle(), w->view()->documentTitle());
    forward->click();
    EXPECT_EQ(shown(w), "saving.html");
    EXPECT_FALSE(forward->isEnabled());
}

TEST_F(HelpBrowser, AMissingPageSaysSo) {
    JBrowser* w = open(helpDir + "/no-such-page.html");
    QCoreApplication::processEvents();
    EXPECT_EQ(w->windowTitle(), "Page not found");
    EXPECT_TRUE(w->view()->toPlainText().contains("no-such-page.html"));
}

TEST_F(HelpBrowser, GermanPagesShowAndAPageNotTranslatedComesInEnglish) {
    JBrowser* german = open(helpDir + "/de/Se.html");
    QCoreApplication::processEvents();
    EXPECT_EQ(german->windowTitle(), QString::fromUtf8("Hilfe zum Szenario-Editor"));
    // Its pictures are the English pages' own.
    EXPECT_TRUE(german->view()
                    ->loadResource(QTextDocument::ImageResource, QUrl("images/builder-window.png"))
                    .isValid());

    QTemporaryDir tmp;
    ASSERT_TRUE(QDir(tmp.path()).mkpath("help/de"));
    QFile page(tmp.filePath("help/only-english.html"));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.write("<html><head><title>Only English</title></head><body>x</body></html>");
    page.close();
    JBrowser* english = open(tmp.filePath("help/de/only-english.html"));
    QCoreApplication::processEvents();
    EXPECT_EQ(english->windowTitle(), "Only English");
}

TEST_F(HelpBrowser, EveryRequestOpensAWindowAndClosingOneLeavesTheOthers) {
    QWidget builder;
    builder.show();
    JBrowser* first = open(helpDir + "/Se.html");
    JBrowser* second = open(helpDir + "/Se.html");
    QCoreApplication::processEvents();
    EXPECT_NE(first, second);
    EXPECT_TRUE(first->isVisible());
    QPointer<JBrowser> gone = first;
    button(first, JBrowser::BandButton::Close)->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(gone.isNull());
    EXPECT_TRUE(second->isVisible());
    EXPECT_TRUE(builder.isVisible());
    QPointer<JBrowser> closed = second;
    second->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(closed.isNull());
    EXPECT_TRUE(builder.isVisible());
}

// Every href and img src of every page reachable from Se.html names a file
// that exists, and every #anchor an anchor of its page.
TEST(HelpPages, EveryInternalLinkResolves) {
    const QRegularExpression link(QStringLiteral("(href|src)\\s*=\\s*\"([^\"]*)\""),
                                  QRegularExpression::CaseInsensitiveOption);
    const QRegularExpression anchor(QStringLiteral("(name|id)\\s*=\\s*\"([^\"]*)\""),
                                    QRegularExpression::CaseInsensitiveOption);
    // The German pages too: a page or picture they name that is not
    // translated is the English one.
    QStringList queue{QDir(helpDir).absoluteFilePath("Se.html"),
                      QDir(helpDir).absoluteFilePath("de/Se.html")};
    QSet<QString> seen;
    int links = 0;
    while (!queue.isEmpty()) {
        const QString page = queue.takeFirst();
        if (seen.contains(page)) {
            continue;
        }
        seen.insert(page);
        QFile file(page);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << page.toStdString();
        const QString html = QString::fromUtf8(file.readAll());
        QTextDocument doc;
        doc.setHtml(html);
        EXPECT_FALSE(doc.metaInformation(QTextDocument::DocumentTitle).isEmpty())
            << page.toStdString();
        for (auto it = link.globalMatch(html); it.hasNext();) {
            const QString target = it.next().captured(2);
            if (target.contains(QLatin1String("://")) || target.startsWith("mailto:")) {
                continue;
            }
            ++links;
            const QString path = target.section('#', 0, 0);
            const QString fragment = target.section('#', 1);
            QString targetPath =
                path.isEmpty() ? page : QFileInfo(page).dir().absoluteFilePath(path);
            if (const std::string english = englishHelpPath(targetPath.toStdString());
                !QFileInfo::exists(targetPath) && !english.empty()) {
                targetPath = QString::fromStdString(english);
            }
            ASSERT_TRUE(QFileInfo::exists(targetPath))
                << page.toStdString() << " -> " << target.toStdString();
            if (!fragment.isEmpty()) {
                QFile targetFile(targetPath);
                ASSERT_TRUE(targetFile.open(QIODevice::ReadOnly));
                QSet<QString> anchors;
                for (auto a = anchor.globalMatch(QString::fromUtf8(targetFile.readAll()));
                     a.hasNext();) {
                    anchors.insert(a.next().captured(2));
                }
                EXPECT_TRUE(anchors.contains(fragment))
                    << page.toStdString() << " -> " << target.toStdString();
            }
            if (targetPath.endsWith(QLatin1String(".html"))) {
                queue.push_back(QFileInfo(targetPath).absoluteFilePath());
            }
        }
    }
    EXPECT_GE(seen.size(), 6);
    EXPECT_GT(links, 30);
    // No page lies in the folder without a link to it.
    for (const QString& name : QDir(helpDir).entryList({"*.html"}, QDir::Files)) {
        EXPECT_TRUE(seen.contains(QDir(helpDir).absoluteFilePath(name))) << name.toStdString();
    }
}

} // namespace
} // namespace crvl
