#include "negozioprova.h"

#include "catalogschema.h"
#include "tabellespedizione.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QDirIterator>
#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTimer>
#include <QtTest>

QString cartellaDati()
{
    return QStringLiteral(VETRASTO_SOURCE_DATA);
}

void copiaAlbero(const QString &da, const QString &a)
{
    QDir().mkpath(a);
    QDirIterator it(da, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString p = it.next();
        const QString dest = a + p.mid(da.size());
        if (it.fileInfo().isDir())
            QDir().mkpath(dest);
        else
            QFile::copy(p, dest);
    }
}

NegozioProva::NegozioProva()
{
    CatalogSchema::createEmptyShop(cartella());
    copiaAlbero(cartellaDati() + QStringLiteral("/code"), code());
}

DatabasePtr NegozioProva::apri()
{
    return Database::open(catalogo(), Database::Access::Exclusive);
}

QString dumpTabelle(Database &db)
{
    QString d;
    auto righe = [&](const QString &sql, const QVariantList &params = {}) {
        QSqlQuery q = db.run(sql, params);
        while (q.next()) {
            QStringList v;
            for (int i = 0; i < q.record().count(); ++i)
                v << q.value(i).toString();
            d += v.join(u'|') + u'\n';
        }
    };
    for (const QString &t : Spedizione::Tabelle()) {
        d += QStringLiteral("== ") + t + u'\n';
        righe(QStringLiteral("SELECT type, name, sql FROM sqlite_master WHERE tbl_name=? ORDER BY name"), {t});
        righe(QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name=?"), {t});
        QStringList colonne;
        QSqlQuery info = db.run(QStringLiteral("PRAGMA table_info(\"%1\")").arg(t));
        while (info.next())
            colonne << QStringLiteral("quote(\"%1\")").arg(info.value(1).toString());
        righe(QStringLiteral("SELECT rowid, %1 FROM \"%2\" ORDER BY rowid").arg(colonne.join(u','), t));
    }
    return d;
}

QByteArray leggiFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<mancante>");
}

void scriviFile(const QString &path, const QByteArray &dati)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    f.write(dati);
}

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
