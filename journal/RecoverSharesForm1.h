#pragma once

#include "JournalDecisions.h"

#include <QDialog>

#include <vector>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace corvane {

// Shares a crash left missing, one checked row each (name, path, comment, what was being done
// and when); OK adds the checked ones back, Cancel leaves them for the next open.
class RecoverSharesForm1 : public QDialog {
    Q_OBJECT
public:
    RecoverSharesForm1(const QString& server, const std::vector<journal::Offer>& offers,
                       QWidget* parent = nullptr);

    // The offers whose rows are checked, by their index in the list given.
    std::vector<std::size_t> checkedOffers() const;

private:
    QLabel* Message1 = nullptr;
    QTreeWidget* RecoverList1 = nullptr;
    QPushButton* Ok1 = nullptr;
    QPushButton* Cancel1 = nullptr;
};

} // namespace corvane
