#include "builder/widgets/spin_field.h"

#include <QLineEdit>

#include <algorithm>

namespace crvl {

SpinField::SpinField(int minimum, int maximum, int step, QWidget* parent)
    : QAbstractSpinBox(parent), minimum_(minimum), maximum_(maximum), step_(step) {
    setValue(minimum);
}

QString SpinField::text() const {
    return lineEdit()->text();
}

void SpinField::setText(const QString& text) {
    lineEdit()->setText(text);
}

void SpinField::setValue(int value) {
    setText(QString::number(value));
}

int SpinField::value() const {
    bool ok = false;
    const int number = text().trimmed().toInt(&ok);
    return ok ? number : minimum_;
}

void SpinField::stepBy(int steps) {
    bool ok = false;
    const int current = text().trimmed().toInt(&ok);
    // A text that is no number starts again from the lower limit.
    const long long wanted =
        ok ? static_cast<long long>(current) + static_cast<long long>(steps) * step_ : minimum_;
    setValue(static_cast<int>(std::clamp<long long>(wanted, minimum_, maximum_)));
}

QAbstractSpinBox::StepEnabled SpinField::stepEnabled() const {
    if (isReadOnly() || !isEnabled()) {
        return StepNone;
    }
    return StepUpEnabled | StepDownEnabled;
}

} // namespace crvl
