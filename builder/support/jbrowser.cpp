#include "builder/support/jbrowser.h"

#include "builder/core/builder_console.h"
#include "builder/core/builder_language.h"
#include "builder/core/builder_services.h"
#include "builder/core/se_language.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QIcon>
#include <QImageReader>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

namespace crvl {

HelpView::HelpView(QWidget* parent) : QTextBrowser(parent) {}

QVariant HelpView::loadResource(int type, const QUrl& name) {
    QVariant resource = QTextBrowser::loadResource(type, name);
    // A page or picture not translated comes from the English help.
    const QUrl absolute = name.isRelative() ? source().resolved(name) : name;
    if (!resource.isValid() && absolute.isLocalFile()) {
        if (const std::string english = englishHelpPath(absolute.toLocalFile().toStdString());
            !english.empty()) {
            resource = QTextBrowser::loadResource(
                type, QUrl::fromLocalFile(QString::fromStdString(english)));
        }
    }
    if (type == QTextDocument::HtmlResource && !resource.isValid()) {
        const QString shown = name.isLocalFile() ? name.toLocalFile() : name.toString();
        return QStringLiteral("<html><head><title>Page not found</title></head><body>"
                              "<h1>Page not found</h1><p>The help page <tt>%1</tt> could not "
                              "be read.</p></body></html>")
            .arg(shown.toHtmlEscaped());
    }
    return resource;
}

namespace {

QPushButton* makeButton(QWidget* band, const QString& imagePath, const QString& text,
                        const char* name) {
    // The whole picture is read before the button is made.
    QImageReader reader(imagePath);
    const QImage image = reader.read();
    auto* button = new QPushButton(QIcon(QPixmap::fromImage(image)), text, band);
    button->setObjectName(QLatin1String(name));
    button->setAccessibleName(text);
    button->setIconSize(image.isNull() ? QSize(16, 16) : image.size());
    return button;
}

} // namespace

QUrl JBrowser::toUrl(const QString& location) {
    if (location.startsWith(QLatin1String("file:"))) {
        return QUrl::fromLocalFile(
            QString::fromStdString(pathFromFileLocation(location.toStdString())));
    }
    const QUrl url(location);
    if (url.isValid() && url.scheme().size() > 1) {
        return url;
    }
    return QUrl::fromLocalFile(QFileInfo(location).absoluteFilePath());
}

JBrowser::JBrowser(const QString& iconLocation, const QString& pageLocation,
                   const std::array<QString, 4>& buttonTexts, const QString& imageBase)
    : QWidget(nullptr) {
    setObjectName(QStringLiteral("JBrowser"));

    const QUrl icon = toUrl(iconLocation);
    if (icon.isValid() && icon.isLocalFile()) {
        const QPixmap picture(icon.toLocalFile());
        if (!picture.isNull()) {
            setWindowIcon(QIcon(picture));
        }
    }

    QString base = imageBase;
    if (!base.isEmpty() && !base.endsWith(QLatin1Char('/'))) {
        base += QLatin1Char('/');
    }
    buttonsBand = new QWidget(this);
    buttonsBand->setObjectName(QStringLiteral("buttonsBand"));
    auto* band = new QHBoxLayout(buttonsBand);
    band->setContentsMargins(4, 4, 4, 4);
    backButton =
        makeButton(buttonsBand, base + "images/previous.gif", buttonTexts[0], "backButton");
    forwardButton =
        makeButton(buttonsBand, base + "images/next.gif", buttonTexts[1], "forwardButton");
    printButton = makeButton(buttonsBand, base + "images/print.gif", buttonTexts[2], "printButton");
    closeButton = makeButton(buttonsBand, base + "images/close.gif", buttonTexts[3], "closeButton");
    for (QPushButton* button : {backButton, forwardButton, printButton, closeButton}) {
        band->addWidget(button);
    }
    band->addStretch(1);
    backButton->setEnabled(false);
    forwardButton->setEnabled(false);

    browser = new HelpView(this);
    browser->setObjectName(QStringLiteral("browser"));
    browser->setAccessibleName(QString::fromStdString(seLanguage::helpPageAccessibleText));
    browser->setOpenLinks(false);

    statusBar = new StatusBar(STATUS_BAR_SIZE.width(), STATUS_BAR_SIZE.height());
    statusBar->setObjectName(QStringLiteral("statusBar"));
    auto* bar = new QHBoxLayout(statusBar);
    bar->setContentsMargins(1, 1, 1, 1);
    status = new QLabel(QString::fromStdString(seLanguage::helpStatusText), statusBar);
    status->setObjectName(QStringLiteral("status"));
    status->setAlignment(Qt::AlignCenter);
    progress = new ProgressBar(PROGRESS_SIZE.width(), PROGRESS_SIZE.height());
    progress->setObjectName(QStringLiteral("progress"));
    progress->setRange(0, 100);
    progress->setTextVisible(false);
    progress->setAccessibleName(QString::fromStdString(seLanguage::helpProgressAccessibleText));
    progress->hide();
    bar->addWidget(status, 1);
    bar->addWidget(progress);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buttonsBand);
    layout->addWidget(browser, 1);
    layout->addWidget(statusBar);
    setAutoFillBackground(true);
    QPalette grey = palette();
    grey.setColor(QPalette::Window, QColor(Qt::lightGray));
    setPalette(grey);

    connect(browser, &QTextBrowser::anchorClicked, this, &JBrowser::linkActivated);
    connect(browser, &QTextBrowser::sourceChanged, this,
            [this] { titleChange(browser->documentTitle()); });
    connect(browser, QOverload<const QUrl&>::of(&QTextBrowser::highlighted), this,
            [this](const QUrl& link) { statusTextChange(link.toString()); });
    connect(browser, &QTextBrowser::backwardAvailable, this,
            [this](bool on) { commandStateChange(CSC_NAVIGATEBACK, on); });
    connect(browser, &QTextBrowser::forwardAvailable, this,
            [this](bool on) { commandStateChange(CSC_NAVIGATEFORWARD, on); });
    connect(backButton, &QPushButton::clicked, browser, &QTextBrowser::backward);
    connect(forwardButton, &QPushButton::clicked, browser, &QTextBrowser::forward);
    connect(printButton, &QPushButton::clicked, this, &JBrowser::printPage);
    connect(closeButton, &QPushButton::clicked, this, &JBrowser::exit);

    navigate(pageLocation);
    QMetaObject::invokeMethod(this, &JBrowser::browserCreated, Qt::QueuedConnection);

    setGeometry(INITIAL_GEOMETRY);
    setWindowTitle(INITIAL_TITLE);
    show();
    resize(LAID_OUT_SIZE);
    consoleLine("ready to exit browser constructor");
}

JBrowser::~JBrowser() = default;

QPushButton* JBrowser::button(BandButton which) const {
    switch (which) {
    case BandButton::Back:
        return backButton;
    case BandButton::Forward:
        return forwardButton;
    case BandButton::Print:
        return printButton;
    case BandButton::Close:
        return closeButton;
    }
    return nullptr;
}

void JBrowser::navigate(const QString& location) {
    navigateUrl = toUrl(location);
    if (browserComplete) {
        load(navigateUrl);
    }
}

void JBrowser::browserCreated() {
    if (exited_) {
        return;
    }
    consoleLine("browser created!");
    browserComplete = true;
    if (!navigateUrl.isEmpty()) {
        load(navigateUrl);
    }
}

void JBrowser::load(const QUrl& url) {
    downloadBegin();
    progressChange(0, 100);
    browser->setSource(url);
    progressChange(100, 100);
    downloadComplete();
    consoleLine("navigate finished!");
}

void JBrowser::linkActivated(const QUrl& url) {
    if (url.isLocalFile() || url.isRelative() || url.scheme() == QLatin1String("qrc")) {
        load(url);
    } else {
        QDesktopServices::openUrl(url);
    }
}

void JBrowser::titleChange(const QString& title) {
    if (!title.isEmpty()) {
        setWindowTitle(title);
    }
}

void JBrowser::statusTextChange(const QString& text) {
    status->setText(text);
}

void JBrowser::downloadBegin() {
    consoleLine("Download Begin");
    progress->show();
}

void JBrowser::downloadComplete() {
    consoleLine("Download Complete");
    progress->hide();
}

void JBrowser::progressChange(int value, int maximum) {
    progress->setRange(0, maximum > 0 ? maximum : 100);
    progress->setValue(value >= 0 ? value : 0);
}

void JBrowser::commandStateChange(int command, bool enabled) {
    if (command == CSC_NAVIGATEFORWARD) {
        forwardButton->setEnabled(enabled);
    } else if (command == CSC_NAVIGATEBACK) {
        backButton->setEnabled(enabled);
    }
}

void JBrowser::printPage() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(windowTitle());
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted) {
        browser->print(&printer);
    }
}

void JBrowser::exit() {
    if (exited_) {
        return;
    }
    exited_ = true;
    browser->disconnect(this);
    hide();
    deleteLater();
}

void JBrowser::closeEvent(QCloseEvent* event) {
    event->accept();
    exit();
}

} // namespace crvl
