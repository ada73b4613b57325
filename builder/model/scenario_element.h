#pragma once

// The eight scenario elements: the actions a frame sets when the trainer
// enters it and the events that lead out of it. Each element has three
// string views: the identification shown in the frame, the code for the
// trainer's state table and the attribute string saved in the scenario file,
// from which the element is rebuilt. The dialogs that edit an element keep
// their controls in step with these objects, so the rules below (rhythm
// options, defaults, checks on OK) hold with or without a window.

#include "base/status.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace crvl {

enum class ElementKind { Action, Event };

class ScenarioElement {
public:
    virtual ~ScenarioElement() = default;

    // The class name as saved in the scenario file ("SetECG", "TimeEvent").
    virtual std::string_view className() const = 0;
    virtual ElementKind kind() const = 0;

    // Three letters, a blank and two-digit upper-case hexadecimal fields.
    virtual std::string getAssociatedCode() const = 0;
    virtual std::string getAttributes() const = 0;
    virtual std::string getIdentification() const = 0;

    // Sets the defaults, then the values of the attribute string (empty: the
    // defaults alone). Fails on a number that does not parse or lies outside
    // what the state table can hold.
    virtual Status init(const std::string& attributes) = 0;

    // Remembers the current attributes, which a cancelled dialog restores.
    void setAttributes() { theCancelAttributes = getAttributes(); }
    // getAttributes wrote what it restores, so that always reads back.
    void onCancel() { static_cast<void>(unPackAttributes(theCancelAttributes)); }

    // The check of the dialog's values on OK: a message that refuses OK, or
    // nothing when the dialog may close, the numbers then in their plain
    // form (" 07" becomes "7"), as they are saved and read back.
    virtual std::optional<std::string> acceptOk() { return std::nullopt; }

    // The dialog title from the language table.
    virtual std::string title() const = 0;

    // 0 while the dialog is open, 1 after OK, -1 after Cancel.
    int exitCode = 0;

protected:
    virtual Status unPackAttributes(const std::string& attributes) = 0;

private:
    std::string theCancelAttributes;
};

// Makes the element whose class name equals type (any package prefix up to
// the last "." removed) from saved attributes; nullptr for "title" and every
// name that is not one of the eight. Fails when the attributes hold a
// number that does not parse.
Result<std::unique_ptr<ScenarioElement>> getScenarioElement(std::string_view type,
                                                            const std::string& attributes);

// The type without a package prefix: "a.b.SetECG" -> "SetECG".
std::string_view stripPackagePrefix(std::string_view type);

// The ECG rhythms by their fixed system names, in the order the dialog
// offers them.
const std::vector<std::string>& rhythmSystemNames();
// Shown (translated) name -> system name; unknown names pass unchanged.
std::string getSystemName(const std::string& shown);
// System name -> shown name; unknown names pass unchanged.
std::string getTranslatedName(const std::string& system);

class SetECG : public ScenarioElement {
public:
    static constexpr std::string_view NAME = "SetECG";
    std::string_view className() const override { return NAME; }
    ElementKind kind() const override { return ElementKind::Action; }
    std::string getAssociatedCode() const override;
    std::string getAttributes() const override;
    std::string getIdentification() const override;
    Status init(const std::string& attributes) override;
    std::string title() const override;

    // The rhythm options: which radios and the pulse box are enabled, and
    // what they are set to, follow the chosen rhythm.
    void setRhythm(const std::string& systemName);
    // The radio choice; while the rhythm is VT it also sets the pulse box.
    void chooseShockable(bool shockable);
    void setPulse(bool pulse) { pulse_ = pulse; }

    const std::string& rhythm() const { return rhythm_; }
    bool shockable() const { return shockable_; }
    bool pulse() const { return pulse_; }
    bool shockableEnabled() const { return shockableEnabled_; }
    bool nonShockableEnabled() const { return nonShockableEnabled_; }
    bool pulseEnabled() const { return pulseEnabled_; }

protected:
    Status unPackAttributes(const std::string& attributes) override;

private:
    void setECGOptions(const std::string& systemName);

    std::string rhythm_ = "Sinus";
    bool shockable_ = false;
    bool pulse_ = false;
    bool shockableEnabled_ = true;
    bool nonShockableEnabled_ = true;
    bool pulseEnabled_ = true;
};

// An action with one radio group: the chosen radio's index into the labels.
class RadioAction : public ScenarioElement {
public:
    ElementKind kind() const override { return ElementKind::Action; }
    std::string getIdentification() const override;
    Status init(const std::string& attributes) override;

    int choice() const { return choice_; }
    // Indexes outside the labels are ignored.
    void choose(int index) {
        if (index >= 0 && index < static_cast<int>(radioLabels().size())) {
            choice_ = index;
        }
    }
    // Radio labels, in dialog order, from the language table.
    virtual std::vector<std::string> radioLabels() const = 0;

protected:
    int choice_ = 0;
};

class MotionAction : public RadioAction {
public:
    static constexpr std::string_view NAME = "MotionAction";
    enum { Motion, NoMotion };
    std::string_view className() const override { return NAME; }
    std::string getAssociatedCode() const override;
    std::string getAttributes() const override;
    std::string title() const override;
    std::vector<std::string> radioLabels() const override;

protected:
    Status unPackAttributes(const std::string& attributes) override;
};

class ElectrodesAction : public RadioAction {
public:
    static constexpr std::string_view NAME = "ElectrodesAction";
    enum { ElectrodesOK, ElectrodesLoose };
    std::string_view className() const override { return NAME; }
    std::string getAssociatedCode() const override;
    std::string getAttributes() const override;
    std::string title() const override;
    std::vector<std::string> radioLabels() const override;

protected:
    Status unPackAttributes(const std::string& attributes) override;
};

class BatteryAction : public RadioAction {
public:
    static constexpr std::string_view NAME = "BatteryAction";
    enum { BatteryOK, LowBattery, ReplaceBattery };
    std::string_view className() const override { return NAME; }
    std::string getAssociatedCode() const override;
    std::string getAttributes() const override;
    std::string title() const override;
    std::vector<std::string> radioLabels() const override;

protected:
    Status unPackAttributes(const std::string& attributes) override;
};

class FailureAction : public RadioAction {
public:
    static constexpr std::string_view NAME = "FailureAction";
    enum { Failure, NoFailure };
    std::string_view className() const override { return NAME; }
    std::string getAssociatedCode() const override;
    std::string getAttributes() const override;
    std::string title() const override;
    std::vector<std::string> radioLabels() const override;

protected:
    Status unPackAttributes(const std::string& attributes) override;
};

// An event with one numeric field, kept as the text the field shows.
class FieldEvent : public ScenarioElement {
public:
    ElementKind kind() const override { return ElementKind::Event; }
    const std::string& fieldText() const { return field_; }
    void setFieldText(std::string text) { field_ = std::move(text); }

    // The largest number a state table cell holds for an event; FF means
    // "no such event".
    static constexpr int MAX_CELL_VALUE = 250;

protected:
    // The OK check of the field: a whole number from minimum to maximum, or
    // the one message that names the range, whatever number was typed.
    std::optional<std::string> acceptField(int minimum, int maximum);

    std::string field_;
};

// A number of a saved attribute string. Fails when it is not a whole number
// from minimum to MAX_CELL_VALUE: the state table would get a wrong value
// from it.
Result<int> savedFieldNumber(std::string_view text, int minimum);

class DefibEvent : public FieldEvent {
public:
    static constexpr std::string_view NAME = "DefibEvent";
    static constexpr int MIN_SHOCKS = 1, MAX_SHOCKS = 9, STEP = 1;
    std::string_view className() const override { return NAME; }
    std::string getAssociatedCode() const override;
    std::string getAttributes() const override;
    std::string getIdentification() const override;
    Status init(const std::string& attributes) override;
    std::optional<std::string> acceptOk() override;
    std::string title() const override;

protected:
    Status unPackAttributes(const std::string& attributes) override;
};

class CPREvent : public FieldEvent {
public:
    static constexpr std::string_view NAME = "CPREvent";
    static constexpr int MIN_SECONDS = 5, MAX_SECONDS = 250, STEP = 5, DEFAULT_SECONDS = 60;
    enum class Mode { None, Started, Stopped, Accumulated };
    std::string_view className() const override { return NAME; }
    std::string getAssociatedCode() const override;
    std::string getAttributes() const override;
    std::string getIdentification() const override;
    Status init(const std::string& attributes) override;
    std::optional<std::string> acceptOk() override;
    std::string title() const override;

    Mode mode() const { return mode_; }
    // The seconds field is enabled only for the accumulated mode.
    void setMode(Mode mode);
    bool fieldEnabled() const { return fieldEnabled_; }

protected:
    Status unPackAttributes(const std::string& attributes) override;

private:
    Mode mode_ = Mode::None;
    bool fieldEnabled_ = false;
};

class TimeEvent : public FieldEvent {
public:
    static constexpr std::string_view NAME = "TimeEvent";
    static constexpr int MIN_SECONDS = 0, MAX_SECONDS = 250, STEP = 5;
    std::string_view className() const override { return NAME; }
    std::string getAssociatedCode() const override;
    std::string getAttributes() const override;
    std::string getIdentification() const override;
    Status init(const std::string& attributes) override;
    std::optional<std::string> acceptOk() override;
    std::string title() const override;

protected:
    Status unPackAttributes(const std::string& attributes) override;
};

} // namespace crvl
