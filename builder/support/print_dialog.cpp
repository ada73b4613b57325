#include "builder/support/print_dialog.h"

#include "builder/core/se_language.h"
#include "builder/widgets/text_fit.h"

#include <QButtonGroup>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace crvl {

namespace {

QString text(const std::string& s) {
    return QString::fromStdString(s);
}

QPushButton* greyButton(QWidget* parent, const std::string& label, const char* name) {
    auto* button = new QPushButton(text(label), parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    QPalette grey = button->palette();
    grey.setColor(QPalette::Button, QColor(Qt::lightGray));
    button->setPalette(grey);
    return button;
}

} // namespace

Print::Print(QWidget* owner, bool modal) : QDialog(owner) {
    setModal(modal);
    setWindowTitle(text(seLanguage::printTitle));
    setObjectName(QStringLiteral("Print"));
    setFixedSize(SIZE);
    setAutoFillBackground(true);
    QPalette background = palette();
    background.setColor(QPalette::Window, QColor::fromRgb(BACKGROUND));
    setPalette(background);

    OnePage = new QRadioButton(text(seLanguage::onePageText), this);
    OnePage->setObjectName(QStringLiteral("OnePage"));
    OnePage->setGeometry(ONE_PAGE_BOUNDS);
    OnePage->setChecked(true);
    TwoPage = new QRadioButton(text(seLanguage::twoPageText), this);
    TwoPage->setObjectName(QStringLiteral("TwoPage"));
    TwoPage->setGeometry(TWO_PAGE_BOUNDS);
    Group1 = new QButtonGroup(this);
    Group1->addButton(OnePage);
    Group1->addButton(TwoPage);

    OKButton = greyButton(this, seLanguage::labelOkText, "OKButton");
    OKButton->setGeometry(OK_BOUNDS);
    CancelButton = greyButton(this, seLanguage::labelCancelText, "CancelButton");
    CancelButton->setGeometry(CANCEL_BOUNDS);

    panel1 = new QWidget(this);
    panel1->setObjectName(QStringLiteral("panel1"));
    panel1->setGeometry(PANEL_BOUNDS);
    printingLabel = new QLabel(text(seLanguage::printingLabel), panel1);
    printingLabel->setObjectName(QStringLiteral("printingLabel"));
    printingLabel->setGeometry(LABEL_BOUNDS);
    panel1->hide();
    for (QWidget* control :
         std::initializer_list<QWidget*>{OnePage, TwoPage, OKButton, CancelButton, printingLabel}) {
        growToShowText(*control);
    }

    connect(OKButton, &QPushButton::clicked, this, &Print::okPressed);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::hide);
}

void Print::okPressed() {
    const std::function<void()>& request = OnePage->isChecked()   ? requestOnePage
                                           : TwoPage->isChecked() ? requestTwoPages
                                                                  : std::function<void()>();
    if (!request) {
        return;
    }
    OKButton->setEnabled(false);
    CancelButton->setEnabled(false);
    request();
}

void Print::showCentred() {
    if (QWidget* owner = parentWidget()) {
        const QRect o = owner->frameGeometry();
        move(o.x() + (o.width() - width()) / 2, o.y() + (o.height() - height()) / 2);
    }
    show();
    raise();
}

void Print::showPrinting() {
    OKButton->hide();
    CancelButton->hide();
    OnePage->hide();
    TwoPage->hide();
    panel1->show();
    repaint();
}

} // namespace crvl
