#pragma once

#include "platform/SessionService.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTreeWidget;

namespace corvane {

class MessageBoxes;

// The "Sessions and open files" window of the opened computer: who is connected, which files
// are open, and ending or closing them. One for the program, not modal; it reads the lists
// only when opened or when Refresh is pressed.
class TSessionsForm1 : public QWidget {
    Q_OBJECT
public:
    TSessionsForm1(SessionService& service, MessageBoxes& messages, QWidget* parent = nullptr);

    // The computer whose sessions the window shows; the lists are emptied.
    void setComputer(const QString& name);
    const QString& computer() const { return m_computer; }
    // Shows the window on the "Sessions" page, or on "Open files" with `filter` in the filter
    // box, and reads both lists.
    void showSessions();
    void showOpenFiles(const QString& filter);

    void RefreshSessions1Click();
    void DisconnectSession1Click();
    void CloseFile1Click();

private:
    // Reads both lists; false (after one error box) when either could not be read.
    bool refresh();
    void applyFilter();
    void updateButtons();
    void showNote(const QString& text);

    SessionService& m_service;
    MessageBoxes& m_messages;
    QString m_computer;

    QLabel* m_computerLabel = nullptr;
    QTabWidget* m_pages = nullptr;
    QTreeWidget* SessionsList1 = nullptr;
    QTreeWidget* OpenFilesList1 = nullptr;
    QLineEdit* OpenFilesFilter1 = nullptr;
    QPushButton* DisconnectSession1 = nullptr;
    QPushButton* CloseFile1 = nullptr;
    QPushButton* RefreshSessions1 = nullptr;
    QLabel* m_note = nullptr;
};

} // namespace corvane
