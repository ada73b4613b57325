#pragma once

// The dialog in which the user chooses between printing the scenario on one
// page or on two. OK only records the request with the main window (through
// the two callbacks) and leaves the dialog open; the main window prints on
// its next loop pass while the dialog shows "Printing...", then hides it.

#include <QDialog>

#include <functional>

class QLabel;
class QPushButton;
class QRadioButton;
class QButtonGroup;

namespace crvl {

class Print : public QDialog {
    Q_OBJECT
public:
    static constexpr QSize SIZE{300, 150};
    static constexpr QRgb BACKGROUND = 0xFFC0C0DC; // RGB 192, 192, 220
    static constexpr QRect ONE_PAGE_BOUNDS{24, 36, 156, 22};
    static constexpr QRect TWO_PAGE_BOUNDS{24, 72, 156, 25};
    static constexpr QRect OK_BOUNDS{204, 36, 75, 24};
    static constexpr QRect CANCEL_BOUNDS{204, 72, 75, 25};
    static constexpr QRect PANEL_BOUNDS{24, 60, 252, 32};
    static constexpr QRect LABEL_BOUNDS{0, 0, 252, 23};

    // owner: the main window, over which the dialog is centred.
    Print(QWidget* owner, bool modal);

    // What OK asks of the main window.
    std::function<void()> requestOnePage;
    std::function<void()> requestTwoPages;

    // Shows the dialog centred over its owner.
    void showCentred();
    // While printing: the choices and buttons give way to the printing text.
    void showPrinting();

    QRadioButton* OnePage = nullptr;
    QRadioButton* TwoPage = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QWidget* panel1 = nullptr;
    QLabel* printingLabel = nullptr;

private:
    void okPressed();

    QButtonGroup* Group1 = nullptr;
};

} // namespace crvl
