#include "bulk/BulkPaths.h"
#include "shares/ShareRules.h"

#include <QTest>

using namespace corvane;

class BulkPathsTest : public QObject {
    Q_OBJECT
private slots:
    void sourceParentDir_data();
    void sourceParentDir();
    void lastComponent_data();
    void lastComponent();
    void destinationPath_data();
    void destinationPath();
    void nodePath_data();
    void nodePath();
    void localPath_data();
    void localPath();
};

void BulkPathsTest::sourceParentDir_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("parent");
    QTest::newRow("nested") << R"(D:\Shares\Data)"
                            << R"(D:\Shares\)";
    QTest::newRow("nested, trailing backslash") << R"(D:\Shares\Data\)"
                                                << R"(D:\Shares\)";
    QTest::newRow("under the root") << R"(D:\Data)"
                                    << R"(D:\)";
    QTest::newRow("drive root") << R"(D:\)"
                                << "";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("no backslash") << "Data"
                                  << "";
    QTest::newRow("two trailing backslashes drop only one") << R"(D:\Data\\)"
                                                            << R"(D:\Data\)";
}

void BulkPathsTest::sourceParentDir() {
    QFETCH(QString, path);
    QFETCH(QString, parent);
    QCOMPARE(sourceParentDirOf(path), parent);
}

void BulkPathsTest::lastComponent_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("last");
    QTest::newRow("nested") << R"(D:\Shares\Data)"
                            << "Data";
    QTest::newRow("nested, trailing backslash") << R"(D:\Shares\Data\)"
                                                << "Data";
    QTest::newRow("under the root") << R"(D:\Data)"
                                    << "Data";
    QTest::newRow("drive root") << R"(D:\)"
                                << "D:";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("no backslash") << "Data"
                                  << "Data";
}

void BulkPathsTest::lastComponent() {
    QFETCH(QString, path);
    QFETCH(QString, last);
    QCOMPARE(lastComponentOf(path), last);
}

void BulkPathsTest::destinationPath_data() {
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("destination");
    QTest::newRow("parent without backslash") << R"(E:\Shares)"
                                              << R"(D:\Old\Data)"
                                              << R"(E:\Shares\Data)";
    QTest::newRow("parent with backslash") << R"(E:\Shares\)"
                                           << R"(D:\Old\Data)"
                                           << R"(E:\Shares\Data)";
    QTest::newRow("other source parent") << R"(E:\Shares)"
                                         << R"(F:\Misc\Tools)"
                                         << R"(E:\Shares\Tools)";
    QTest::newRow("source with trailing backslash") << R"(E:\Shares)"
                                                    << R"(D:\Old\Data\)"
                                                    << R"(E:\Shares\Data)";
    QTest::newRow("drive-root source") << R"(E:\Shares)"
                                       << R"(D:\)"
                                       << R"(E:\Shares\D:)";
    QTest::newRow("same parent as source") << R"(D:\Old\)"
                                           << R"(D:\Old\Data)"
                                           << R"(D:\Old\Data)";
    // Re-rooted, these would leave the parent: E:\Shares\.. is E:\, Old/Data is two levels.
    QTest::newRow("source ending in ..") << R"(E:\Shares)"
                                         << R"(X:\data\..)"
                                         << "";
    QTest::newRow("slash in the source") << R"(E:\Shares)"
                                         << R"(D:\Old/Data)"
                                         << "";
    QTest::newRow("dots in the parent") << R"(E:\Shares\...)"
                                        << R"(D:\Old\Data)"
                                        << "";
}

void BulkPathsTest::destinationPath() {
    QFETCH(QString, parent);
    QFETCH(QString, source);
    QFETCH(QString, destination);
    QCOMPARE(destinationPathOf(parent, source), destination);
}

void BulkPathsTest::nodePath_data() {
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QString>("nodePath");
    QTest::newRow("drive") << QStringList{"C:"} << R"(C$\)";
    QTest::newRow("one level") << QStringList{"D:", "Work"} << R"(D$\Work\)";
    QTest::newRow("two levels") << QStringList{"C:", "Data", "Projects"} << R"(C$\Data\Projects\)";
    QTest::newRow("colon in a directory name") << QStringList{"C:", "a:b"} << R"(C$\a:b\)";
    QTest::newRow("nothing") << QStringList{} << "";
}

void BulkPathsTest::nodePath() {
    QFETCH(QStringList, texts);
    QFETCH(QString, nodePath);
    QCOMPARE(nodePathOf(texts), nodePath);
}

void BulkPathsTest::localPath_data() {
    QTest::addColumn<QString>("nodePath");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("driveRoot");
    QTest::addColumn<QString>("local");
    QTest::newRow("nested") << R"(C$\Data\)"
                            << "Docs"
                            << ""
                            << R"(C:\Data\Docs)";
    QTest::newRow("under the drive") << R"(C$\)"
                                     << "Docs"
                                     << ""
                                     << R"(C:\Docs)";
    QTest::newRow("other drive, deep") << R"(E$\a\b\c\)"
                                       << "d"
                                       << ""
                                       << R"(E:\a\b\c\d)";
    QTest::newRow("root as Windows serves it") << R"(C$\Data\)"
                                               << "Docs"
                                               << R"(C:\)"
                                               << R"(C:\Data\Docs)";
    QTest::newRow("root elsewhere") << R"(C$\Data\)"
                                    << "Docs"
                                    << R"(C:\srv\c)"
                                    << R"(C:\srv\c\Data\Docs)";
    QTest::newRow("root elsewhere, trailing backslash") << R"(C$\)"
                                                        << "Docs"
                                                        << R"(C:\srv\c\)"
                                                        << R"(C:\srv\c\Docs)";
    QTest::newRow("no node path") << ""
                                  << "Docs"
                                  << ""
                                  << "";
}

void BulkPathsTest::localPath() {
    QFETCH(QString, nodePath);
    QFETCH(QString, name);
    QFETCH(QString, driveRoot);
    QFETCH(QString, local);
    QCOMPARE(localPathOf(nodePath, name, driveRoot), local);
}

QTEST_GUILESS_MAIN(BulkPathsTest)
#include "BulkPathsTest.moc"
