#pragma once

// A palette entry: a 34 x 34 button that shows one picture, centred (or
// tiled), and reports every mouse press. Space and Return press it too, so
// the palette works from the keyboard. Its accessible name is its tooltip;
// assistive technology sees a button, a checkable one for the tools that
// stay chosen, which then tells whether it is the chosen one.

#include <QAbstractButton>
#include <QPixmap>

namespace crvl {

class ImageButton : public QAbstractButton {
    Q_OBJECT
public:
    enum class Fill { Centred, Tiled };

    explicit ImageButton(QWidget* parent, Fill fill = Fill::Centred);

    void setPicture(const QPixmap& picture);
    const QPixmap& picture() const { return picture_; }
    // The tooltip text, which is also the accessible name.
    void setToolText(const QString& text);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    // Any mouse button presses the entry at once (pressed()).
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    // Whether the entry is the chosen one is the editor's to say.
    void nextCheckState() override {}

private:
    Fill fill_;
    QPixmap picture_;
};

} // namespace crvl
