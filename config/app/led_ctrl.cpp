#include "config/app/led_ctrl.h"

#include <QImage>
#include <QPainter>

// Resources of a static library must be registered by hand.
static void RegisterResources() {
    Q_INIT_RESOURCE(crvlconfig);
}

namespace crvl {

void InitConfigResources() {
    static const bool done = (RegisterResources(), true);
    (void)done;
}

namespace {

// The strip with its magenta background made transparent, built once. An
// image, not a pixmap: it outlives the application object at exit.
const QImage& LampStrip() {
    static const QImage strip = [] {
        InitConfigResources();
        QImage image(QStringLiteral(":/crvlconfig/lamps.png"));
        image = image.convertToFormat(QImage::Format_ARGB32);
        const QRgb key = qRgb(255, 0, 255);
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                if ((line[x] & RGB_MASK) == (key & RGB_MASK)) {
                    line[x] = qRgba(0, 0, 0, 0);
                }
            }
        }
        return image;
    }();
    return strip;
}

} // namespace

CLedCtrl::CLedCtrl(QWidget* parent) : QWidget(parent) {
    setMinimumSize(kCell, kCell);
}

void CLedCtrl::Set(int rowOffset, int column, int extra) {
    rowOffset_ = rowOffset;
    column_ = column;
    extra_ = extra;
    // What the picture shows, for screen readers: "green, lit".
    static const char* const kColours[] = {"red", "green", "yellow", "blue"};
    static const char* const kLights[] = {"lit", "dark", "off"};
    const int colour = (rowOffset + extra) / kCell;
    if (colour >= 0 && colour < 4 && column >= 0 && column < 3)
        setAccessibleDescription(QStringLiteral("%1, %2").arg(QLatin1String(kColours[colour]),
                                                              QLatin1String(kLights[column])));
    repaint();
}

void CLedCtrl::paintEvent(QPaintEvent* /*event*/) {
    if (width() < kCell || height() < kCell) {
        return;
    }
    QPainter painter(this);
    const QPoint origin((width() - kCell) / 2, (height() - kCell) / 2);
    painter.drawImage(origin, LampStrip(),
                      QRect(kCell * column_, rowOffset_ + extra_, kCell, kCell));
}

} // namespace crvl
