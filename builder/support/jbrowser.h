#pragma once

// The help window: a tool band with back, forward, print and close, the
// help pages in a QTextBrowser, and a status bar with the status text and a
// download progress bar. Every help request makes a window of its own, which
// deletes itself when closed; the builder keeps running.
//
// The page view reports its creation one event-loop turn after the window
// is built; a navigation asked for before then is kept and carried out at
// that moment.

#include <QProgressBar>
#include <QTextBrowser>
#include <QUrl>
#include <QWidget>

#include <array>

class QLabel;
class QPushButton;

namespace crvl {

// A widget whose preferred and minimum size are fixed at construction.
template <class Base> class FixedSize : public Base {
public:
    FixedSize(int width, int height) : size_(width, height) {}
    QSize sizeHint() const override { return size_; }
    QSize minimumSizeHint() const override { return size_; }

private:
    QSize size_;
};

// The status bar panel and its download progress bar (range 0 to 100).
using StatusBar = FixedSize<QWidget>;
using ProgressBar = FixedSize<QProgressBar>;

// The page view: a QTextBrowser that shows a short page of its own for a
// help page that cannot be read.
class HelpView : public QTextBrowser {
    Q_OBJECT
public:
    explicit HelpView(QWidget* parent);
    QVariant loadResource(int type, const QUrl& name) override;
};

class JBrowser : public QWidget {
    Q_OBJECT
public:
    static inline const QString INITIAL_TITLE = QStringLiteral("Brisoma Help");
    static constexpr QRect INITIAL_GEOMETRY{0, 0, 790, 640};
    static constexpr QSize LAID_OUT_SIZE{791, 641};
    static constexpr QSize PROGRESS_SIZE{300, 20};
    static constexpr QSize STATUS_BAR_SIZE{302, 22};
    // Kinds of the view's command state changes.
    static constexpr int CSC_NAVIGATEFORWARD = 1;
    static constexpr int CSC_NAVIGATEBACK = 2;

    // iconLocation, pageLocation: "file:" locations or paths. buttonTexts:
    // back, forward, print, close. imageBase: the directory holding
    // "images/" with the button pictures.
    JBrowser(const QString& iconLocation, const QString& pageLocation,
             const std::array<QString, 4>& buttonTexts, const QString& imageBase);
    ~JBrowser() override;

    // Remembers the page and loads it once the view exists.
    void navigate(const QString& location);
    // Detaches from the view, hides and disposes of the window.
    void exit();

    // The view's reports.
    void browserCreated();
    void titleChange(const QString& title);
    void statusTextChange(const QString& text);
    void downloadBegin();
    void downloadComplete();
    void progressChange(int progress, int maximum);
    void commandStateChange(int command, bool enabled);

    bool isBrowserComplete() const { return browserComplete; }
    HelpView* view() const { return browser; }
    enum class BandButton { Back, Forward, Print, Close };
    QPushButton* button(BandButton which) const;
    QLabel* statusLabel() const { return status; }
    ProgressBar* progressBar() const { return progress; }

    // A location as a URL: "file:" locations and plain paths name local
    // files.
    static QUrl toUrl(const QString& location);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void load(const QUrl& url);
    void linkActivated(const QUrl& url);
    void printPage();

    QWidget* buttonsBand = nullptr;
    QPushButton* backButton = nullptr;
    QPushButton* forwardButton = nullptr;
    QPushButton* printButton = nullptr;
    QPushButton* closeButton = nullptr;
    QLabel* status = nullptr;
    ProgressBar* progress = nullptr;
    StatusBar* statusBar = nullptr;
    HelpView* browser = nullptr;
    bool browserComplete = false;
    QUrl navigateUrl;
    bool exited_ = false;
};

} // namespace crvl
