#include "config/app/upload_dlg.h"

#include "config/app/control_ids.h"
#include "config/core/config_view.h"
#include "config/core/link_state.h"
#include "scenario/check_text.h"

#include <QButtonGroup>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace crvl {

CUploadDlg::CUploadDlg(const std::array<std::string, 3>& slotNames, FileChooser chooseFile,
                       QWidget* parent)
    : QDialog(parent), chooseFile_(std::move(chooseFile)) {
    setWindowTitle(QString::fromLatin1(text::kUploadCaption));
    setFixedSize(330, 170);

    auto* select = new QGroupBox(QStringLiteral("Select"), this);
    select->setGeometry(10, 8, 80, 110);
    auto* loaded = new QGroupBox(QStringLiteral("Current Loaded"), this);
    loaded->setGeometry(100, 8, 220, 110);

    slots_ = new QButtonGroup(this);
    const int radioIds[] = {ids::kUploadSlot1, ids::kUploadSlot2, ids::kUploadSlot3};
    const int nameIds[] = {ids::kUploadName1, ids::kUploadName2, ids::kUploadName3};
    for (int i = 0; i < 3; ++i) {
        const QString slot = QStringLiteral("C%1").arg(i + 1);
        auto* radio = new QRadioButton(slot, select);
        radio->setObjectName(QString::number(radioIds[i]));
        radio->setAccessibleName(slot);
        radio->setGeometry(12, 24 + i * 28, 60, 22);
        slots_->addButton(radio, i);

        auto* name = new QLineEdit(QString::fromLatin1(slotNames[i].c_str()), loaded);
        name->setObjectName(QString::number(nameIds[i]));
        name->setReadOnly(true);
        name->setAccessibleName(QStringLiteral("Current scenario in %1").arg(slot));
        name->setGeometry(10, 23 + i * 28, 200, 24);
    }
    slots_->button(0)->setChecked(true);

    auto* selectNew = new QPushButton(QStringLiteral("Select New"), this);
    selectNew->setObjectName(QString::number(ids::kUploadSelectNew));
    selectNew->setToolTip(QString::fromLatin1(text::kSelectNewTip));
    selectNew->setAccessibleName(selectNew->text());
    selectNew->setGeometry(100, 130, 100, 28);
    selectNew->setDefault(true);
    connect(selectNew, &QPushButton::clicked, this, &CUploadDlg::SelectNew);

    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QString::number(ids::kUploadCancel));
    cancel->setAccessibleName(cancel->text());
    cancel->setGeometry(220, 130, 100, 28);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void CUploadDlg::SetSlotIndex(int index) {
    if (auto* radio = slots_->button(index))
        radio->setChecked(true);
}

QString CUploadDlg::ChooseScenarioFile(QWidget* parent) {
    return QFileDialog::getOpenFileName(parent, QString(), QDir::current().filePath("scenarios"),
                                        QString::fromLatin1(text::kScenarioFilter));
}

void CUploadDlg::TrainerLost() {
    lost_ = true;
    for (QDialog* child : findChildren<QDialog*>())
        child->reject();
    reject();
}

void CUploadDlg::SelectNew() {
    const QString path = chooseFile_ ? chooseFile_(this) : ChooseScenarioFile(this);
    if (lost_)
        return; // already closed
    if (path.isEmpty()) {
        reject(); // cancelling the file dialog cancels the upload too
        return;
    }
    filePath_ = path;
    slotIndex_ = std::max(slots_->checkedId(), 0);
    accept();
}

namespace {

// The user chose nothing to lose: say that the trainer went and that its
// slots were not touched.
UploadOutcome TrainerLost(ConfigView& view) {
    view.ShowMessage(text::kLostBeforeUpload, text::kMessageCaption, MessageIcon::Exclamation);
    return UploadOutcome::TrainerLost;
}

UploadOutcome Upload(QWidget* parent, LinkMachine& machine, ConfigView& view,
                     const UploadHooks& hooks) {
    std::array<std::string, 3> names;
    for (int slot = 1; slot <= kSlotCount; ++slot)
        names[slot - 1] = std::string(machine.Slot(slot).Name());

    QString path;
    int slotIndex = 0;
    {
        CUploadDlg dialog(names, hooks.chooseFile, parent);
        const int result = hooks.runDialog ? hooks.runDialog(dialog) : dialog.exec();
        if (dialog.Lost())
            return TrainerLost(view);
        if (result != QDialog::Accepted)
            return UploadOutcome::Cancelled;
        path = dialog.FilePath();
        slotIndex = dialog.SlotIndex();
    }

    const CheckedScenario checked = CheckScenarioFile(path);
    if (!checked.problem.empty()) {
        view.ShowMessage(checked.problem, text::kMessageCaption, MessageIcon::Error);
        return checked.file.status == ScenarioFileStatus::FormatError ? UploadOutcome::FormatError
                                                                      : UploadOutcome::FileError;
    }
    if (!checked.errorsQuestion.empty() &&
        view.Ask(checked.errorsQuestion, text::kMessageCaption, Question::YesNo,
                 MessageIcon::Exclamation) != Answer::Yes)
        return UploadOutcome::NotConfirmed;
    const ScenarioFile& file = checked.file;
    if (!machine.Connected())
        return TrainerLost(view); // while the file was read or the question was open
    machine.Upload(slotIndex + 1, file.name, file.table);
    return UploadOutcome::Sent;
}

} // namespace

CheckedScenario CheckScenarioFile(const QString& path) {
    CheckedScenario checked;
    ScenarioFile& file = checked.file;
    file = LoadScenarioFile(QFile::encodeName(path).toStdString());
    // The name comes from the path as the user sees it, whatever the file
    // system's encoding.
    file.name = ScenarioSlotName(path.toStdString());
    switch (file.status) {
    case ScenarioFileStatus::Ok:
        break;
    case ScenarioFileStatus::FormatError:
        checked.problem = text::kFormatError;
        return checked;
    case ScenarioFileStatus::CannotOpen:
    case ScenarioFileStatus::ReadFailed:
        checked.problem = QString::fromLatin1(text::kCannotReadScenario)
                              .arg(QDir::toNativeSeparators(path))
                              .toStdString();
        return checked;
    }
    const std::vector<scenario::Finding> findings = scenario::CheckTable(file.table);
    if (scenario::CountOf(findings, scenario::Severity::Error) > 0) {
        std::string question = text::kTableErrors;
        for (const scenario::Finding& finding : findings)
            if (finding.severity == scenario::Severity::Error) {
                question += '\n';
                question += scenario::FindingText(finding);
            }
        question += "\n\n";
        question += text::kUploadAnyway;
        checked.errorsQuestion = question;
    }
    return checked;
}

UploadOutcome RunScenarioUpload(QWidget* parent, LinkMachine& machine, ConfigView& view,
                                const UploadHooks& hooks) {
    const UploadOutcome outcome = Upload(parent, machine, view, hooks);
    // The disconnected view keeps the button disabled.
    if (machine.Connected())
        view.EnableButton(ConfigButton::CustomScenarios, true);
    return outcome;
}

} // namespace crvl
