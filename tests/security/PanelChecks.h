#pragma once

#include <QLabel>
#include <QString>
#include <QTreeWidget>
#include <QWidget>
#include <QtTest>

#include <utility>

namespace corvane::test {

// The users list and permission panel read the same on every form that carries them.
inline void checkPanelTexts(const QWidget* form) {
    const std::pair<const char*, const char*> labels[] = {
        {"Label5", "Users:"}, {"Label6", "Permissions:"}, {"Label7", "Full Control"},
        {"Label8", "Change"}, {"Label9", "Read"},         {"Label10", "Allow"},
        {"Label11", "Deny"}};
    for (const auto& [name, text] : labels) {
        const auto* label = form->findChild<QLabel*>(QString::fromLatin1(name));
        QVERIFY2(label, name);
        QCOMPARE(label->text(), QString::fromLatin1(text));
    }
    const auto* users = form->findChild<QTreeWidget*>(QStringLiteral("UsersList1"));
    QVERIFY(users);
    QCOMPARE(users->columnCount(), 1);
    QCOMPARE(users->headerItem()->text(0), QStringLiteral("Name"));
    QVERIFY(users->isHeaderHidden());
    QCOMPARE(users->columnWidth(0), 250);
}

} // namespace corvane::test
