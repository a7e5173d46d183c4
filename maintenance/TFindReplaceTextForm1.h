#pragma once

#include "FindReplace.h"
#include "shares/AppContext.h"

#include <QDialog>
#include <QStringList>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace corvane {

// The find-and-replace dialog: in each selected share of the main list, replaces the first
// occurrence of a text (ignoring case) in the share's name or local path and re-creates the
// share with the new value. States: ready (after showing), running, finished.
class TFindReplaceTextForm1 : public QDialog {
    Q_OBJECT
public:
    explicit TFindReplaceTextForm1(AppContext& ctx, QWidget* parent = nullptr);

    // Resets the dialog for a new showing; runs on every show.
    void FormShow();
    // Validates the texts and performs one run over the main list's selected shares.
    void Ok1Click();
    // The same run over the given share names, in the given order (what Ok1Click walks).
    void runOn(const QStringList& shareNames);
    void Cancel1Click();
    void Close1Click();
    // Whether the dialog may close now: never while a run is going on.
    bool FormCloseQuery() const { return !Running; }

    bool isRunning() const { return Running; }
    bool cancelRequested() const { return CancelRequested; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;

private:
    // Handles one share of a run; false when the user chose to stop (the dialog has closed).
    bool replaceOne(const std::u16string& computer, const QString& shareName, SearchField field,
                    const QString& find, const QString& replacement);
    bool stopRun();

    AppContext& m_ctx;
    bool Running = false;
    bool CancelRequested = false;

    QGroupBox* GroupBox1;
    QRadioButton* ShareName1;
    QRadioButton* LocalPath1;
    QLabel* Label1;
    QLineEdit* FindText1;
    QLabel* Label2;
    QLineEdit* ReplaceText1;
    QProgressBar* ProgressBar1;
    QPushButton* Ok1;
    QPushButton* Cancel1;
    QPushButton* Close1;
    QListWidget* StatusList1;
};

} // namespace corvane
