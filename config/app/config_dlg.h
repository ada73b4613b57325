// The configuration tool's main dialog: the trainer's parameters, the
// connection box and the buttons that write parameters and manage custom
// scenarios. It owns the link and the connection logic; the 200 ms timer
// steps the logic and every link notification becomes one queued dispatch.
#pragma once

#include "config/app/monitor_dlg.h"
#include "config/core/config_view.h"
#include "config/core/link_state.h"
#include "link/trainer_link.h"

#include <QDialog>

#include <map>
#include <memory>

class QCheckBox;
class QGridLayout;
class QGroupBox;
class QLayout;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QTimer;

namespace crvl {

class CLedCtrl;
class CParameterPanel;

class CConfigDlg : public QDialog, public ConfigView {
    Q_OBJECT
public:
    // link: the trainer link to use; null makes a TrainerLink.
    explicit CConfigDlg(std::unique_ptr<ILink> link = nullptr, QWidget* parent = nullptr);
    ~CConfigDlg() override;

    LinkMachine& Machine() { return *machine_; }
    QTimer* TickTimer() const { return timer_; }

    // A signal asks the program to end: every window over this one closes
    // as its Cancel would, nothing is asked, and the exit procedure runs
    // (monitor reports off, the trainer detached, the port closed).
    void EndOnSignal();

    // The window-menu commands (also on the context menu and shortcuts).
    void SysCommand(int command);

    // ConfigView
    void SetConnectionLamp(LampColour colour, LampLight light) override;
    void SetBatteryLamp(LampColour colour, LampLight light) override;
    void SetStatusText(const std::string& text) override;
    void SetBatteryText(const std::string& text) override;
    void SetConnectButtonText(const std::string& text) override;
    void EnableButton(ConfigButton button, bool enabled) override;
    void SetWaitCursor(bool on) override;
    void RunLater(std::function<void()> fn) override;
    void ShowMessage(const std::string& text, const std::string& caption,
                     MessageIcon icon) override;
    Answer Ask(const std::string& text, const std::string& caption, Question buttons,
               MessageIcon icon) override;
    void ShowParameters(const ParameterRecord& record) override;
    ParameterRecord CollectParameters() override;
    void EndDialog() override;
    void RunUploadDialog() override;
    void CloseUploadDialog() override;
    void RunMonitorDialog() override;
    void SetMonitorConnected(bool connected) override;

    // Shows the about box modally.
    virtual void ShowAbout();
    // The "Session Logs..." command: the kept runs, then one run's debrief.
    void ShowSessionLogs();
    MonitorHost& Monitors() { return monitorHost_; }

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    QGroupBox* BuildConnectionBox();
    // Update, Load Defaults and Exit, in a column.
    QLayout* BuildButtons();
    void ConnectControls();

    std::unique_ptr<ILink> link_;
    std::unique_ptr<LinkMachine> machine_;
    QTimer* timer_ = nullptr;
    bool waitCursor_ = false;
    bool ended_ = false;

    CParameterPanel* parameters_ = nullptr;
    QPushButton* connect_ = nullptr;
    QPlainTextEdit* status_ = nullptr;
    QPushButton* update_ = nullptr;
    QPushButton* customScenarios_ = nullptr;
    QPushButton* loadDefaults_ = nullptr;
    QPushButton* exit_ = nullptr;
    CLedCtrl* connectionLamp_ = nullptr;
    QLineEdit* battery_ = nullptr;
    CLedCtrl* batteryLamp_ = nullptr;
    MonitorHost monitorHost_;
};

} // namespace crvl
