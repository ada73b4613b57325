#pragma once

// Reads printed PDF files back: page images through pdftoppm and page text
// through pdftotext (poppler-utils).

#include <QImage>
#include <QString>

#include <vector>

namespace crvl::test {

// The pages of the PDF as images at dpi dots per inch; empty when the file
// cannot be rendered.
std::vector<QImage> pdfPageImages(const QString& pdf, int dpi = 60);
// The text of page n (from 1).
QString pdfPageText(const QString& pdf, int page);

struct PdfWord {
    QString text;
    double x = 0, y = 0; // top left, in points
};
// The words of page n with their places.
std::vector<PdfWord> pdfPageWords(const QString& pdf, int page);

} // namespace crvl::test
