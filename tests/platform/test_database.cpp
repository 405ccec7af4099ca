#include <QtTest>
class TestDatabase : public QObject { Q_OBJECT private slots: void placeholder() {} };
QTEST_GUILESS_MAIN(TestDatabase)
#include "test_database.moc"
