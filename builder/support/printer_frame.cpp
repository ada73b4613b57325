#include "builder/support/printer_frame.h"

#include "builder/core/builder_console.h"
#include "builder/model/connection.h"
#include "builder/model/scenario_frame.h"
#include "builder/support/print_dialog.h"
#include "builder/views/connection_layer.h"
#include "builder/views/frame_icon_component.h"
#include "builder/views/view_style.h"
#include "builder/widgets/builder_fonts.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include <algorithm>
#include <string>

namespace crvl {

namespace {

// Frames are drawn from their widgets at this many dots per screen pixel,
// so that they stay sharp on paper.
constexpr qreal FRAME_IMAGE_SCALE = 3.0;

std::unique_ptr<QPrinter> systemPrintJob(QWidget* parent, const QString& jobName) {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setDocName(jobName);
    QPrintDialog dialog(printer.get(), parent);
    dialog.setWindowTitle(jobName);
    if (dialog.exec() != QDialog::Accepted) {
        return nullptr;
    }
    return printer;
}

PrinterFrame::JobSource& jobSource() {
    static PrinterFrame::JobSource source = systemPrintJob;
    return source;
}

QFont helvetica(int size) {
    QFont font(logicalFontFamily(PrinterFrame::TITLE_FONT), size);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

std::vector<FrameIconComponent*> frameWidgets(QWidget* canvas) {
    std::vector<FrameIconComponent*> widgets;
    for (QObject* child : canvas->children()) {
        if (auto* frame = qobject_cast<FrameIconComponent*>(child)) {
            widgets.push_back(frame);
        }
    }
    return widgets;
}

} // namespace

PrinterFrame::JobSource PrinterFrame::setJobSource(JobSource source) {
    JobSource previous = std::move(jobSource());
    jobSource() = source ? std::move(source) : JobSource(systemPrintJob);
    return previous;
}

PrinterFrame::PrinterFrame(PrintableEditor editor, Print* printDialog)
    : editor_(std::move(editor)), printDialog_(printDialog) {}

PrinterFrame::~PrinterFrame() = default;

void PrinterFrame::init() {
    panelWidth_ = editor_.canvas->width();
    panelHeight_ = editor_.canvas->height();
    // Until a job reports its page.
    pageWidth_ = panelWidth_;
    pageHeight_ = panelHeight_;
}

void PrinterFrame::writePageLines() const {
    consoleLine("Panel: (width,height) " + std::to_string(panelWidth_) + " " +
                std::to_string(panelHeight_) + " ");
    consoleLine("Page: (width,height) " + std::to_string(pageWidth_) + " " +
                std::to_string(pageHeight_) + "   Resolution: " + std::to_string(resolution_));
}

namespace {

// Scales the logical page width x height onto the printable area, keeping
// the aspect ratio, and clips the drawing to it.
void setPageDimensions(QPainter& painter, int pageWidth, int pageHeight, int width, int height) {
    painter.resetTransform();
    painter.setClipping(false);
    if (width <= 0 || height <= 0) {
        return;
    }
    const qreal scale =
        std::min(static_cast<qreal>(pageWidth) / width, static_cast<qreal>(pageHeight) / height);
    painter.scale(scale, scale);
    painter.setClipRect(0, 0, width, height);
}

} // namespace

QString PrinterFrame::jobName() const {
    const QString name = editor_.scenarioName ? editor_.scenarioName().trimmed() : QString();
    return name.isEmpty() ? JOB_NAME : name;
}

bool PrinterFrame::printFrame(const std::string& mode) {
    const int pages = mode == PRINT_ONE_PAGE ? 1 : mode == PRINT_TWO_PAGES ? 2 : 0;
    if (pages == 0) {
        return false;
    }
    printing_ = true;
    const QString name = jobName();
    pj_ = jobSource()(printDialog_ != nullptr ? printDialog_->parentWidget() : nullptr, name);
    if (!pj_) {
        printing_ = false;
        return false;
    }
    pj_->setDocName(name);
    // Fonts are sized in points; at 72 dots per inch a point is one unit of
    // the page, as the page geometry below assumes.
    pj_->setResolution(72);
    if (printDialog_ != nullptr) {
        printDialog_->showPrinting();
    }

    QPainter painter;
    if (pj_->width() <= 0 || pj_->height() <= 0 || !painter.begin(pj_.get())) {
        consoleLine("Printing: the print job could not be started");
        pj_.reset();
        printing_ = false;
        return false;
    }
    pageWidth_ = pj_->width();
    pageHeight_ = pj_->height();
    resolution_ = pj_->resolution();
    writePageLines();

    editor_.setPrinting(true);
    editor_.setPrintingFont(FontSpec{"Dialog", LINE_FONT_SIZE, false});
    // Frames take the printing font's layout when they next paint.
    for (FrameIconComponent* widget : frameWidgets(editor_.canvas)) {
        QImage probe(1, 1, QImage::Format_ARGB32_Premultiplied);
        widget->render(&probe);
    }

    composePage(painter, 1, pages);
    if (pages == 2) {
        pj_->newPage();
        setPageDimensions(painter, pageWidth_, pageHeight_, pageWidth_, pageHeight_);
        writePageLines();
        composePage(painter, 2, pages);
    }

    editor_.setPrinting(false);
    editor_.editor->repaintAll();
    painter.end();
    pj_.reset();
    printing_ = false;
    return true;
}

void PrinterFrame::composePage(QPainter& painter, int page, int pages) {
    painter.resetTransform();
    painter.setClipping(false);
    const QFont titleFont = helvetica(TITLE_FONT_SIZE);
    const int T = QFontMetrics(titleFont, pj_.get()).height();
    const int pw = PAGE_WIDTH_POINTS * resolution_ / 72;
    const int ph = PAGE_HEIGHT_POINTS * resolution_ / 72;
    const double sx = static_cast<double>(pw) / pageWidth_;
    const double sy = static_cast<double>(ph) / pageHeight_;
    const int w = static_cast<int>(panelWidth_ * sx);
    const int h = static_cast<int>(panelHeight_ * sy);
    consoleLine("setPageDim: (width,height) " + std::to_string(w) + " " + std::to_string(h));

    painter.fillRect(0, 0, pageWidth_, pageHeight_, Qt::white);
    painter.setPen(Qt::black);
    const int W = panelWidth_;
    const int H = panelHeight_;
    const int pageW = pages == 1 ? w + 25 : w + 15;
    const int pageH = pages == 1 ? h + T + 25 : h / 2 + T + 15;
    setPageDimensions(painter, pageWidth_, pageHeight_, pageW, pageH);

    const int shift = page == 2 ? T + 10 - H / 2 : T + 10;
    painter.save();
    if (page == 2) {
        // The upper half belongs to the first sheet, not under the title band.
        painter.setClipRect(0, T + 10, pageW, pageH, Qt::IntersectClip);
    }
    painter.translate(0, shift);
    drawDiagram(painter, pages == 1 ? LINE_FONT_SIZE : TWO_PAGE_DIAGRAM_FONT_SIZE);
    drawActionLines(painter);
    painter.restore();

    painter.setFont(titleFont);
    painter.setPen(Qt::black);
    const QFontMetrics metrics = painter.fontMetrics();
    if (page == 1) {
        const QString title = editor_.scenarioName ? editor_.scenarioName() : QString();
        painter.drawText((W + 20) / 2 - metrics.horizontalAdvance(title) / 2, T, title);
    }
    const QString number = QString::number(page) + QLatin1Char('/') + QString::number(pages);
    const int numberY = pages == 1 ? H + T + 10 : H / 2 + T;
    painter.drawText(W - metrics.horizontalAdvance(number) - 5, numberY, number);
}

void PrinterFrame::drawDiagram(QPainter& painter, int fontSize) {
    FrameEditor& editor = *editor_.editor;
    editor.unselectFrameIcons();
    painter.setFont(helvetica(fontSize));
    painter.setPen(Qt::black);
    auto* layer = editor_.canvas->findChild<ConnectionLayer*>();
    const QPixmap loop = layer != nullptr ? layer->loopPicture() : loadLoopPicture();
    for (Connection* connection : editor.connections()) {
        painter.save();
        paintConnection(painter, *connection, editor, loop);
        painter.restore();
    }
    for (FrameIconComponent* widget : frameWidgets(editor_.canvas)) {
        QImage image(widget->size() * FRAME_IMAGE_SCALE, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(FRAME_IMAGE_SCALE);
        image.fill(Qt::transparent);
        widget->render(&image);
        painter.drawImage(QRectF(widget->pos(), widget->size()), image);
    }
}

void PrinterFrame::drawActionLines(QPainter& painter) {
    painter.setFont(helvetica(LINE_FONT_SIZE));
    for (ScenarioFrame* frame : editor_.editor->frames()) {
        const Point at = frame->location();
        const Rect list = frame->listBounds();
        const QColor background = frame->isReached() ? QColor(Qt::white) : kUnreachedPink;
        painter.fillRect(at.x + list.x + 2, at.y + list.y + 2, list.width - 4, list.height - 4,
                         background);
        painter.setPen(Qt::black);
        const std::vector<std::string> lines = frame->getActions();
        for (std::size_t i = 0; i < lines.size(); ++i) {
            painter.drawText(at.x + 10, at.y + 20 + LINE_SPACING * static_cast<int>(i),
                             QString::fromStdString(lines[i]));
        }
    }
}

} // namespace crvl
