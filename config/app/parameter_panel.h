// The parameter controls of the configuration dialog: the AED protocol
// box and the trainer's box, mapped to the parameter record through
// config/core/parameter_form. crvlconfig's dialog and crvlclass's
// "Parameters to All" show the same controls.
#pragma once

#include "config/core/parameter_form.h"

#include <QWidget>

#include <map>

class QCheckBox;
class QGridLayout;
class QGroupBox;
class QLineEdit;
class QRadioButton;
class QSlider;

namespace crvl {

class CUpDownCtrl;
struct FieldSpec;

class CParameterPanel : public QWidget {
    Q_OBJECT
public:
    explicit CParameterPanel(QWidget* parent = nullptr);

    void ShowParameters(const ParameterRecord& record);
    ParameterRecord CollectParameters() const;

Q_SIGNALS:
    // The user changed a control.
    void changed();

private:
    struct Field {
        QLineEdit* edit;
        CUpDownCtrl* spin;
    };

    // Empty controls, as before the first trainer was read.
    void Clear();
    void AddField(const FieldSpec& spec, QGridLayout* grid, int row);
    QGroupBox* BuildProtocolBox();
    QGroupBox* BuildTrainerBox();
    void ConnectControls();
    void ApplyForm(const ParameterForm& form);
    void OnScrolled(int spinId, int position);
    void OnNsaMonitor();
    void OnNsaTimer();
    Field& FieldOf(int spinId);
    const Field& FieldOf(int spinId) const;
    static void SetField(Field& field, const UpDownField& value);

    std::map<int, Field> fields_; // keyed by up-down id
    QRadioButton* nsaMonitor_ = nullptr;
    QRadioButton* nsaTimer_ = nullptr;
    QRadioButton* cprShort_ = nullptr;
    QRadioButton* cprLong_ = nullptr;
    QCheckBox* ledIndication_ = nullptr;
    QCheckBox* volumeControl_ = nullptr;
    QCheckBox* remoteDisplay_ = nullptr;
    QSlider* tolerance_ = nullptr;
};

} // namespace crvl
