// A status lamp: shows one 16 x 16 cell of the lamp strip image, centred in
// the control, with magenta pixels transparent.
#pragma once

#include <QWidget>

namespace crvl {

// Registers the images of the configuration tool (lamp strip, icon).
void InitConfigResources();

class CLedCtrl : public QWidget {
public:
    static constexpr int kCell = 16;

    explicit CLedCtrl(QWidget* parent = nullptr);

    // rowOffset: 0, 16, 32, 48 (red, green, yellow, blue); column: 0 lit,
    // 1 dark, 2 off; extra is added to the row offset.
    void Set(int rowOffset, int column, int extra = 0);

    int RowOffset() const { return rowOffset_; }
    int Column() const { return column_; }
    int Extra() const { return extra_; }

    QSize sizeHint() const override { return {20, 20}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int rowOffset_ = 0;
    int column_ = 1;
    int extra_ = 0;
};

} // namespace crvl
