#include <QtTest>
class TestNegozio : public QObject { Q_OBJECT private slots: void placeholder() {} };
QTEST_GUILESS_MAIN(TestNegozio)
#include "test_negozio.moc"
