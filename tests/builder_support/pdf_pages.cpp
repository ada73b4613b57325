#include "tests/builder_support/pdf_pages.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace crvl::test {

std::vector<QImage> pdfPageImages(const QString& pdf, int dpi) {
    QTemporaryDir dir;
    QProcess render;
    render.start(QStringLiteral("pdftoppm"),
                 {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-png"), pdf,
                  dir.filePath(QStringLiteral("page"))});
    if (!render.waitForFinished(30000) || render.exitCode() != 0) {
        return {};
    }
    std::vector<QImage> pages;
    const QStringList files =
        QDir(dir.path()).entryList({QStringLiteral("page*.png")}, QDir::Files, QDir::Name);
    for (const QString& file : files) {
        pages.emplace_back(QImage(dir.filePath(file)).convertToFormat(QImage::Format_RGB32));
    }
    return pages;
}

namespace {

QString runPdfToText(const QString& pdf, int page, const QStringList& options) {
    QProcess text;
    text.start(QStringLiteral("pdftotext"),
               options + QStringList{QStringLiteral("-f"), QString::number(page),
                                     QStringLiteral("-l"), QString::number(page), pdf,
                                     QStringLiteral("-")});
    if (!text.waitForFinished(30000)) {
        return {};
    }
    return QString::fromUtf8(text.readAllStandardOutput());
}

} // namespace

QString pdfPageText(const QString& pdf, int page) {
    return runPdfToText(pdf, page, {});
}

std::vector<PdfWord> pdfPageWords(const QString& pdf, int page) {
    const QString html = runPdfToText(pdf, page, {QStringLiteral("-bbox")});
    static const QRegularExpression word(
        QStringLiteral("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\"[^>]*>([^<]*)</word>"));
    std::vector<PdfWord> words;
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        words.push_back({m.captured(3), m.captured(1).toDouble(), m.captured(2).toDouble()});
    }
    return words;
}

} // namespace crvl::test
