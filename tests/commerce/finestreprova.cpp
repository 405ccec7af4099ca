#include "finestreprova.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QTimer>
#include <QtTest>

void fotografa(QWidget *w, const QString &nome)
{
    const QString cartella = qEnvironmentVariable("VETRASTO_TEST_OUTPUT", QDir::tempPath());
    QDir().mkpath(cartella);
    QCoreApplication::processEvents();  // pending layout updates
    QVERIFY(w->grab().save(cartella + u'/' + nome + QStringLiteral(".png")));
}

void clicca(QAbstractButton *b)
{
    QVERIFY2(b->isVisible() && b->isEnabled(), qPrintable(b->objectName()));
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
}

void digita(QWidget *w, const QString &testo)
{
    w->setFocus();
    if (auto *e = qobject_cast<QLineEdit *>(w))
        e->selectAll();
    QTest::keyClicks(w, testo);
}

void scegliConTasti(QComboBox *c, const QString &testo)
{
    c->setFocus();
    QTest::keyClick(c, Qt::Key_Home);
    for (int i = 0; i < c->count() && c->currentText() != testo; ++i)
        QTest::keyClick(c, Qt::Key_Down);
    QCOMPARE(c->currentText(), testo);
}

void alModale(QObject &guardia, std::function<void(QWidget *)> azione)
{
    auto *attesa = new QTimer(&guardia);
    attesa->setInterval(10);
    QObject::connect(attesa, &QTimer::timeout, &guardia, [attesa, azione = std::move(azione)] {
        if (QWidget *d = QApplication::activeModalWidget()) {
            attesa->stop();
            azione(d);
            attesa->deleteLater();
        }
    });
    attesa->start();
}
