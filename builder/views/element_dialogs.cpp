#include "builder/views/element_dialogs.h"

#include "builder/core/se_language.h"
#include "builder/views/view_style.h"
#include "builder/widgets/message_box.h"
#include "builder/widgets/spin_field.h"
#include "builder/widgets/text_fit.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <functional>
#include <utility>
#include <vector>

namespace crvl {

namespace {

ElementDialog::Warn& warning() {
    static ElementDialog::Warn warn = [](const std::string& title, const std::string& text) {
        messageBox(title, text, "Warning");
    };
    return warn;
}

QPushButton* makeButton(const std::string& text, QWidget* parent) {
    auto* button = new QPushButton(qs(text), parent);
    button->setFont(dialogFont(12, true));
    QPalette palette = button->palette();
    palette.setColor(QPalette::Button, kButtonGrey);
    button->setPalette(palette);
    button->setAutoDefault(false);
    return button;
}

template <typename W> W* place(W* widget, const char* name, int x, int y, int w, int h) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(x, y, w, h);
    return widget;
}

QLabel* label(const std::string& text, QWidget* parent, int x, int y, int w) {
    auto* l = new QLabel(qs(text), parent);
    l->setGeometry(x, y, w, 22);
    growToShowText(*l);
    return l;
}

// A refused number: its whole text selected, ready to be typed over.
void selectAll(SpinField& field) {
    field.setFocus(Qt::OtherFocusReason);
    field.selectAll();
}

// A group of exclusive radios that may also show no choice at all.
class RadioGroup {
public:
    RadioGroup(QWidget* parent) : group_(new QButtonGroup(parent)) {}

    QRadioButton* add(const std::string& text, const char* name, int x, int y, int w,
                      QWidget* parent) {
        auto* radio = place(new QRadioButton(qs(text), parent), name, x, y, w, 24);
        growToShowText(*radio);
        group_->addButton(radio, static_cast<int>(radios_.size()));
        radios_.push_back(radio);
        return radio;
    }
    // -1 chooses none.
    void choose(int index) {
        const bool wasChoosing = std::exchange(choosing_, true);
        group_->setExclusive(false);
        for (int i = 0; i < static_cast<int>(radios_.size()); ++i) {
            radios_[static_cast<std::size_t>(i)]->setChecked(i == index);
        }
        group_->setExclusive(true);
        choosing_ = wasChoosing;
    }
    // Calls chosen with the index of a radio the user checked, by a click,
    // a key or assistive technology's toggle action alike, so that the
    // element follows what the dialog shows; choose() does not call it.
    void onChosen(QObject* context, std::function<void(int)> chosen) {
        QObject::connect(group_, &QButtonGroup::idToggled, context,
                         [this, chosen = std::move(chosen)](int id, bool checked) {
                             if (checked && !choosing_) {
                                 chosen(id);
                             }
                         });
    }

private:
    QButtonGroup* group_;
    std::vector<QRadioButton*> radios_;
    bool choosing_ = false;
};

// ---- the ECG dialog ---------------------------------------------------------

class SetECGDialog : public ElementDialog {
public:
    explicit SetECGDialog(QWidget* owner)
        : ElementDialog(std::make_unique<SetECG>(), 399, 149, owner), radios_(this) {
        auto* rhythmLabel = label(seLanguage::choiceBasicRhythmText, this, 12, 14, 150);
        rhythm_ = place(new QComboBox(this), "RhythmChoice", 12, 40, 150, 26);
        rhythm_->setAccessibleName(qs(seLanguage::choiceBasicRhythmText));
        rhythmLabel->setBuddy(rhythm_);
        shockable_ =
            radios_.add(seLanguage::radioShockableText, "ShockableRadio", 176, 14, 110, this);
        nonShockable_ =
            radios_.add(seLanguage::radioNonShockableText, "NonShockableRadio", 176, 42, 110, this);
        pulse_ = place(new QCheckBox(qs(seLanguage::pulseText), this), "checkboxPulse", 176, 80,
                       110, 24);
        growToShowText(*pulse_);

        connect(rhythm_, &QComboBox::activated, this, [this](int index) {
            ecg().setRhythm(getSystemName(rhythm_->itemText(index).toStdString()));
            showElement();
        });
        radios_.onChosen(this, [this](int id) {
            ecg().chooseShockable(id == 0);
            showElement();
        });
        connect(pulse_, &QCheckBox::clicked, this, [this](bool on) { ecg().setPulse(on); });
    }

protected:
    void showElement() override {
        if (rhythm_->count() == 0) {
            for (const std::string& name : rhythmSystemNames()) {
                rhythm_->addItem(qs(getTranslatedName(name)));
            }
        }
        const SetECG& e = ecg();
        rhythm_->setCurrentText(qs(getTranslatedName(e.rhythm())));
        radios_.choose(e.shockable() ? 0 : 1);
        shockable_->setEnabled(e.shockableEnabled());
        nonShockable_->setEnabled(e.nonShockableEnabled());
        pulse_->setChecked(e.pulse());
        pulse_->setEnabled(e.pulseEnabled());
    }

private:
    SetECG& ecg() const { return static_cast<SetECG&>(element()); }

    RadioGroup radios_;
    QComboBox* rhythm_;
    QRadioButton* shockable_;
    QRadioButton* nonShockable_;
    QCheckBox* pulse_;
};

// ---- the actions with one radio group ---------------------------------------

class RadioActionDialog : public ElementDialog {
public:
    RadioActionDialog(std::unique_ptr<RadioAction> action, std::vector<const char*> names,
                      QWidget* owner)
        : ElementDialog(std::move(action), 359, 135, owner), radios_(this) {
        const std::vector<std::string> labels = radioAction().radioLabels();
        for (std::size_t i = 0; i < labels.size(); ++i) {
            radios_.add(labels[i], names.at(i), 20, 16 + 30 * static_cast<int>(i), 220, this);
        }
        radios_.onChosen(this, [this](int id) { radioAction().choose(id); });
    }

protected:
    void showElement() override { radios_.choose(radioAction().choice()); }

private:
    RadioAction& radioAction() const { return static_cast<RadioAction&>(element()); }

    RadioGroup radios_;
};

// ---- the events ---------------------------------------------------------------

class DefibEventDialog : public ElementDialog {
public:
    explicit DefibEventDialog(QWidget* owner)
        : ElementDialog(std::make_unique<DefibEvent>(), 280, 96, owner) {
        auto* shocksLabel = label(seLanguage::defibLabelShocks, this, 12, 14, 160);
        field_ = place(
            new SpinField(DefibEvent::MIN_SHOCKS, DefibEvent::MAX_SHOCKS, DefibEvent::STEP, this),
            "numericSpinner1", 12, 44, 70, 26);
        field_->setAccessibleName(qs(seLanguage::defibLabelShocks));
        shocksLabel->setBuddy(field_);
    }

protected:
    void showElement() override { field_->setText(qs(event().fieldText())); }
    void readControls() override { event().setFieldText(field_->text().toStdString()); }
    void selectRefusedField() override { selectAll(*field_); }

private:
    DefibEvent& event() const { return static_cast<DefibEvent&>(element()); }

    SpinField* field_;
};

class CPREventDialog : public ElementDialog {
public:
    explicit CPREventDialog(QWidget* owner)
        : ElementDialog(std::make_unique<CPREvent>(), 366, 159, owner), radios_(this) {
        radios_.add(seLanguage::radioCPRstartedText, "radioCPRstarted", 12, 10, 250, this);
        radios_.add(seLanguage::radioCPRstoppedText, "radioCPRstopped", 12, 38, 250, this);
        radios_.add(seLanguage::radioCPRaccumulatedText, "radioCPRaccumulated", 12, 66, 250, this);
        field_ =
            place(new SpinField(CPREvent::MIN_SECONDS, CPREvent::MAX_SECONDS, CPREvent::STEP, this),
                  "numericCPRTime", 32, 98, 70, 26);
        auto* unit = label(seLanguage::labelCPRtimeUnitText, this, 110, 100, 100);
        unit->setBuddy(field_);
        field_->setAccessibleName(qs(seLanguage::radioCPRaccumulatedText + " (" +
                                     seLanguage::labelCPRtimeUnitText + ")"));
        radios_.onChosen(this, [this](int id) {
            static constexpr CPREvent::Mode modes[] = {
                CPREvent::Mode::Started, CPREvent::Mode::Stopped, CPREvent::Mode::Accumulated};
            readControls();
            cpr().setMode(modes[id]);
            showElement();
        });
    }

protected:
    void showElement() override {
        static constexpr int indexOf[] = {-1, 0, 1, 2}; // None, Started, Stopped, Accumulated
        radios_.choose(indexOf[static_cast<int>(cpr().mode())]);
        field_->setText(qs(cpr().fieldText()));
        field_->setEnabled(cpr().fieldEnabled());
    }
    void readControls() override { cpr().setFieldText(field_->text().toStdString()); }
    void selectRefusedField() override { selectAll(*field_); }

private:
    CPREvent& cpr() const { return static_cast<CPREvent&>(element()); }

    RadioGroup radios_;
    SpinField* field_;
};

class TimeEventDialog : public ElementDialog {
public:
    explicit TimeEventDialog(QWidget* owner)
        : ElementDialog(std::make_unique<TimeEvent>(), 462, 110, owner) {
        auto* what = label(seLanguage::checkTimeInStateText, this, 12, 14, 260);
        field_ = place(
            new SpinField(TimeEvent::MIN_SECONDS, TimeEvent::MAX_SECONDS, TimeEvent::STEP, this),
            "timeInState", 12, 44, 70, 26);
        label(seLanguage::labelTimeUnitText, this, 90, 46, 100);
        what->setBuddy(field_);
        field_->setAccessibleName(qs(seLanguage::checkTimeInStateText));
    }

protected:
    void showElement() override { field_->setText(qs(event().fieldText())); }
    void readControls() override { event().setFieldText(field_->text().toStdString()); }
    void selectRefusedField() override { selectAll(*field_); }

private:
    TimeEvent& event() const { return static_cast<TimeEvent&>(element()); }

    SpinField* field_;
};

} // namespace

// ---- the shared part ----------------------------------------------------------

ElementDialog::ElementDialog(std::unique_ptr<ScenarioElement> element, int width, int height,
                             QWidget* owner)
    : QDialog(owner), element_(std::move(element)) {
    setWindowTitle(qs(element_->title()));
    setWindowModality(Qt::ApplicationModal);
    fillDialogBackground(this);
    ok_ = makeButton(seLanguage::labelOkText, this);
    cancel_ = makeButton(seLanguage::labelCancelText, this);
    const QSize size = ok_->sizeHint().expandedTo(cancel_->sizeHint());
    ok_->resize(size);
    cancel_->resize(size);
    ok_->setDefault(true); // Enter confirms, Escape cancels
    connect(ok_, &QPushButton::clicked, this, &ElementDialog::onOk);
    connect(cancel_, &QPushButton::clicked, this, &ElementDialog::onCancel);
    resize(width, height);
}

ElementDialog::~ElementDialog() = default;

void ElementDialog::setWarning(Warn warn) {
    warning() = std::move(warn);
}

void ElementDialog::init(const std::string& attributes) {
    // A new element's defaults, or the attributes an element of the drawing
    // wrote: both always read.
    static_cast<void>(element_->init(attributes));
    showElement();
}

void ElementDialog::setAttributes() {
    element_->setAttributes();
    move(SCREEN_X, SCREEN_Y);
    show();
}

void ElementDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    const int bw = ok_->width();
    const int bh = ok_->height();
    const int x = static_cast<int>(width() - 1.2 * bw);
    ok_->move(x, height() / 2 - 3 * (bh / 2));
    cancel_->move(x, height() / 2);
}

void ElementDialog::onOk() {
    readControls();
    if (const auto refusal = element_->acceptOk()) {
        warning()(windowTitle().toStdString(), *refusal);
        selectRefusedField();
        return;
    }
    showElement(); // the numbers in the form they are saved in
    finish(1, seLanguage::READ_OK_ACTION);
}

void ElementDialog::onCancel() {
    element_->onCancel();
    showElement();
    finish(-1, seLanguage::READ_CANCEL_ACTION);
}

void ElementDialog::finish(int code, const std::string& command) {
    element_->exitCode = code;
    hide();
    emit reported(qs(command));
    element_->exitCode = 0;
}

void ElementDialog::closeEvent(QCloseEvent* event) {
    event->ignore();
    onCancel();
}

void ElementDialog::reject() {
    onCancel();
}

std::unique_ptr<ElementDialog> makeElementDialog(std::string_view type, QWidget* owner) {
    const std::string_view name = stripPackagePrefix(type);
    if (name == SetECG::NAME) {
        return std::make_unique<SetECGDialog>(owner);
    }
    if (name == MotionAction::NAME) {
        return std::make_unique<RadioActionDialog>(
            std::make_unique<MotionAction>(), std::vector{"radioMotion", "radioNoMotion"}, owner);
    }
    if (name == ElectrodesAction::NAME) {
        return std::make_unique<RadioActionDialog>(
            std::make_unique<ElectrodesAction>(),
            std::vector{"radioElectrodesOK", "radioElectrodesLoose"}, owner);
    }
    if (name == BatteryAction::NAME) {
        return std::make_unique<RadioActionDialog>(
            std::make_unique<BatteryAction>(),
            std::vector{"radioBatteryOk", "radioLowBattery", "radioReplaceBattery"}, owner);
    }
    if (name == FailureAction::NAME) {
        return std::make_unique<RadioActionDialog>(std::make_unique<FailureAction>(),
                                                   std::vector{"radioFailure", "radioNoFailure"},
                                                   owner);
    }
    if (name == DefibEvent::NAME) {
        return std::make_unique<DefibEventDialog>(owner);
    }
    if (name == CPREvent::NAME) {
        return std::make_unique<CPREventDialog>(owner);
    }
    if (name == TimeEvent::NAME) {
        return std::make_unique<TimeEventDialog>(owner);
    }
    return nullptr;
}

} // namespace crvl
