#pragma once

// The numeric field of the element dialogs: up and down step the number
// within its limits, but the text itself is free, so that a dialog can tell
// the user what is wrong with a number typed out of range.

#include <QAbstractSpinBox>

namespace crvl {

class SpinField : public QAbstractSpinBox {
    Q_OBJECT
public:
    SpinField(int minimum, int maximum, int step, QWidget* parent = nullptr);

    QString text() const;
    void setText(const QString& text);
    void setValue(int value);

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
