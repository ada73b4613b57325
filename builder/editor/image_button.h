#pragma once

// A palette entry: a 34 x 34 button that shows one picture, centred (or
// tiled), and reports every mouse press. Space and Return press it too, so
// the palette works from the keyboard. Its accessible name is its tooltip.

#include <QPixmap>
#include <QWidget>

namespace crvl {

class ImageButton : public QWidget {
    Q_OBJECT
public:
    enum class Fill { Centred, Tiled };

    explicit ImageButton(QWidget* parent, Fill fill = Fill::Centred);

    void setPicture(const QPixmap& picture);
    const QPixmap& picture() const { return picture_; }
    // The tooltip text, which is also the accessible name.
    void setText(const QString& text);

    QSize sizeHint() const override;

signals:
    void pressed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    Fill fill_;
    QPixmap picture_;
};

} // namespace crvl
