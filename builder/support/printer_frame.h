#pragma once

// Prints the scenario diagram of the editor's canvas: the connections, the
// frames and their action lines under the scenario name, on one page (the
// whole canvas) or two (its upper and lower half). One object per print run.
//
// The print job comes from the system print dialog; tests replace that
// through setJobSource and print to a PDF file.

#include "builder/model/frame_editor.h"

#include <QString>

#include <functional>
#include <memory>
#include <string>

class QPainter;
class QPrinter;
class QWidget;

namespace crvl {

class Print;

// What printing needs of the editor.
struct PrintableEditor {
    // The canvas (bigPanel): its frame widgets are what is printed.
    QWidget* canvas = nullptr;
    FrameEditor* editor = nullptr;
    std::function<void(bool on)> setPrinting;
    std::function<void(const FontSpec& font)> setPrintingFont;
    // The text of the editor's scenario-name label.
    std::function<QString()> scenarioName;
};

class PrinterFrame {
public:
    // The job's name when the scenario has none.
    static inline const QString JOB_NAME = QStringLiteral("TestPrintJob");
    static inline const std::string PRINT_ONE_PAGE = "print1Page";
    static inline const std::string PRINT_TWO_PAGES = "print2Pages";
    static inline const QString TITLE_FONT = QStringLiteral("Helvetica");
    static constexpr int TITLE_FONT_SIZE = 25;
    static constexpr int LINE_FONT_SIZE = 10;
    static constexpr int TWO_PAGE_DIAGRAM_FONT_SIZE = 7;
    static constexpr int LINE_SPACING = 15;
    // The printable area the page geometry assumes, in points.
    static constexpr int PAGE_WIDTH_POINTS = 567;
    static constexpr int PAGE_HEIGHT_POINTS = 816;

    // A print job named jobName, or none when the user cancelled. parent:
    // the owner of the print dialog.
    using JobSource =
        std::function<std::unique_ptr<QPrinter>(QWidget* parent, const QString& jobName)>;
    // Replaces how print jobs are obtained (the system print dialog by
    // default); returns the previous source.
    static JobSource setJobSource(JobSource source);

    PrinterFrame(PrintableEditor editor, Print* printDialog);
    ~PrinterFrame();

    // Takes the canvas size.
    void init();
    // Prints in mode PRINT_ONE_PAGE or PRINT_TWO_PAGES; false when nothing
    // was printed (no job, unknown mode).
    bool printFrame(const std::string& mode);
    bool isPrinting() const { return printing_; }

private:
    // The scenario's name: the print queue shows it, and the print dialog
    // names its default PDF file after it.
    QString jobName() const;
    void writePageLines() const;
    void composePage(QPainter& painter, int page, int pages);
    void drawDiagram(QPainter& painter, int fontSize);
    void drawActionLines(QPainter& painter);

    PrintableEditor editor_;
    Print* printDialog_;
    int panelWidth_ = 0, panelHeight_ = 0; // W, H
    int pageWidth_ = 0, pageHeight_ = 0;   // PW, PH
    int resolution_ = 0;                   // R
    bool printing_ = false;
    std::unique_ptr<QPrinter> pj_;
};

} // namespace crvl
