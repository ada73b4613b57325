#pragma once

// The modal dialog in which the user chooses where a scenario is saved to or
// loaded from. It lists the scenario directory, takes a name and a comment,
// asks before overwriting, deletes scenarios (load mode) and hands over to
// the system's file dialogs. It does not save or load by itself: it reports
// its choice to the editor, which runs the generator or the loader.
//
// The buttons only set requests; a worker that runs every 500 ms on the GUI
// thread serves them in the order Save, Load, Browse, Delete and sends the
// reports. While any dialog's worker still runs, the editor refuses New,
// Load and Save.

#include <QDialog>
#include <QFont>
#include <QRect>
#include <QTimer>

#include <functional>
#include <optional>
#include <string>

class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace crvl {

class SaveLoadDialog;
class TclControl;

// The builder's "Dialog" font at a size in pixels, as the dialogs' sizes
// were laid out for.
QFont dialogPixelFont(int pixels, bool bold);

// What the dialog needs of the editor that opened it.
class SaveLoadListener {
public:
    virtual ~SaveLoadListener() = default;
    // The scenario name last confirmed in a save or load dialog.
    virtual std::string loadedFileName() const = 0;
    // The comment a save proposes for a drawing that is not yet a file of
    // its own (an opened lesson's); empty for none.
    virtual std::string proposedComment() const = 0;
    virtual void sendTheBeep() = 0;
    // SAVE_OK_ACTION, LOAD_OK_ACTION or SAVELOAD_CANCEL_ACTION; the dialog's
    // getFilename, getPath, getComment and confirmedName describe the choice.
    virtual void saveLoadAction(SaveLoadDialog& dialog, const std::string& command) = 0;
};

class SaveLoadDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int WIDTH = 363;
    static constexpr int HEIGHT = 416;
    static constexpr int WORKER_INTERVAL_MS = 500;
    // The overwrite question's text within its panel.
    static constexpr QRect QUESTION_GEOMETRY{22, 9, 192, 36};

    // The system's file dialog: the chosen file's full path, or none.
    using FileChooser =
        std::function<std::optional<QString>(QWidget* parent, bool save, const QString& title,
                                             const QString& directory, const QString& filter)>;
    // A yes/no question owned by the dialog; true for Yes.
    using Question =
        std::function<bool(QWidget* owner, const std::string& title, const std::string& text)>;

    SaveLoadDialog(QWidget* owner, SaveLoadListener& editor, bool isSave,
                   const std::string& proposedName, TclControl& io);
    ~SaveLoadDialog() override;

    bool isSave() const { return isSave_; }
    // The chosen file name (with ".scn") and directory; Browse's choice while
    // it is in force.
    std::string getFilename() const;
    std::string getPath() const;
    // The comment on one line.
    std::string getComment() const;
    // The name confirmed with OK, which the editor keeps as its last name
    // once the file was written or read; none for Browse's choice.
    std::optional<std::string> confirmedName() const;
    // Dialogs whose worker has not yet ended.
    static int getInstanceCount() { return instances_; }
    // Stops the worker (at its next pass) and closes the dialog.
    void dispose();
    bool workerRunning() const { return counted_; }

    // One pass of the worker; the timer calls it every 500 ms.
    void workerPass();

    void setFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }
    void setQuestion(Question question) { ask_ = std::move(question); }

signals:
    // The worker has ended; the dialog may be deleted.
    void workerEnded();

protected:
    void showEvent(QShowEvent* event) override;
    // Closing the window or Escape: hidden, worker stopped, no report.
    void reject() override;

private:
    void buildControls();
    void buildOverwritePanel();
    void buildProgressPanel();
    void fillList();
    void onListSelection();
    void showCommentOf(const std::string& filename);
    void onOk();
    void onCancel();
    void onNoOverwrite();
    void showQuestion(bool shown);
    void showQuestionText(const std::string& text);
    void showOnlyProgress();
    // Shows which characters of the name and the comment the file's
    // encoding cannot store, rather than writing them as "?"; true then.
    bool refuseUnencodable(const std::string& name);
    void takeTypedComment();
    void report(const std::string& command);
    void endWorker();

    void workerSave();
    void workerLoad();
    void workerBrowse();
    void workerDelete();

    bool nameListed(const std::string& name) const;
    std::string nameText() const;

    SaveLoadListener& parent_;
    TclControl& myTclWrapper_;
    const bool isSave_;
    std::string filename_;
    std::string path_;
    bool newPath_ = false;
    std::string comment_;
    bool readOnly_ = false;
    bool okInert_ = false;

    bool onSaveScenario_ = false;
    bool onLoadScenario_ = false;
    bool onBrowse_ = false;
    bool onDelete_ = false;
    bool keepRunning_ = true;
    bool firstPass_ = true;
    bool busy_ = false;
    bool counted_ = false;
    // Dialogs whose worker still runs; all live on the GUI thread.
    static inline int instances_ = 0;

    QTimer worker_;
    FileChooser chooseFile_;
    Question ask_;

    QLabel* labelFilename_ = nullptr;
    QLineEdit* textField1_ = nullptr;
    QListWidget* list1_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* delete_ = nullptr;
    QPushButton* browse_ = nullptr;
    QLabel* labelComment_ = nullptr;
    QPlainTextEdit* commentField_ = nullptr;
    QFrame* overwritePanel_ = nullptr;
    QLabel* question_ = nullptr;
    QPushButton* yes_ = nullptr;
    QPushButton* no_ = nullptr;
    QFrame* progressPanel_ = nullptr;
    QLabel* progressLabel_ = nullptr;
};

} // namespace crvl
