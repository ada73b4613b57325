// An up-down control: two arrow buttons that step a position within a range
// and report each step. Its buddy is a read-only edit beside it; the arrow
// keys in the buddy step the control too. With a number buddy the control
// writes its position into the buddy whenever the position changes.
#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace crvl {

class CUpDownCtrl : public QWidget {
    Q_OBJECT
public:
    CUpDownCtrl(QLineEdit* buddy, bool numberBuddy, QWidget* parent = nullptr);

    void SetRange(int low, int high);
    // Sets the position as given (a trainer value may lie outside the
    // range); the arrows then step back into it.
    void SetPos(int position);
    int Pos() const { return position_; }
    int Low() const { return low_; }
    int High() const { return high_; }

    // One arrow press: +1 up, -1 down. Emits scrolled when the position
    // changed.
    void Step(int delta);

    // Names the control and its two arrow buttons for assistive tools.
    void SetAccessibleNames(const QString& name);

    QToolButton* UpButton() const { return up_; }
    QToolButton* DownButton() const { return down_; }

signals:
    void scrolled(int position);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* buddy_;
    bool numberBuddy_;
    QToolButton* up_;
    QToolButton* down_;
    int low_ = 0;
    int high_ = 100;
    int position_ = 0;
};

} // namespace crvl
