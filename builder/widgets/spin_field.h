#pragma once

// The numeric field of the element dialogs: up and down step the number
// within its limits, but the text itself is free, so that a dialog can tell
// the user what is wrong with a number typed out of range. Its value and
// limits are properties, so assistive technology reads and sets the number
// through the accessibility value interface as for a standard spin box.

#include <QAbstractSpinBox>

namespace crvl {

class SpinField : public QAbstractSpinBox {
    Q_OBJECT
    Q_PROPERTY(int value READ value WRITE setValue)
    Q_PROPERTY(int minimum READ minimum)
    Q_PROPERTY(int maximum READ maximum)
    Q_PROPERTY(int singleStep READ singleStep)
public:
    SpinField(int minimum, int maximum, int step, QWidget* parent = nullptr);

    QString text() const;
    void setText(const QString& text);
    void setValue(int value);
    // The number the text holds; the lower limit while it holds none.
    int value() const;

    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }
    int singleStep() const { return step_; }

    void stepBy(int steps) override;

protected:
    StepEnabled stepEnabled() const override;

private:
    int minimum_;
    int maximum_;
    int step_;
};

} // namespace crvl
