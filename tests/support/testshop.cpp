#include "testshop.h"

#include "catalogschema.h"
#include "programfolder.h"
#include "settings.h"
#include "shell.h"
#include "cartelle.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QtTest>
#include <QFile>
#include <QProcess>

FileSystemPiccolo::FileSystemPiccolo(const QString &cartella, int kilobyte) : m_cartella(cartella)
{
    QDir().mkpath(cartella);
    m_montato = QProcess::execute(QStringLiteral("mount"),
                                  {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                                   QStringLiteral("size=%1k").arg(kilobyte), QStringLiteral("tmpfs"), cartella})
                == 0;
}

FileSystemPiccolo::~FileSystemPiccolo()
{
    if (m_montato)
        QProcess::execute(QStringLiteral("umount"), {m_cartella});
}

bool FileSystemPiccolo::soloLettura()
{
    return m_montato
           && QProcess::execute(QStringLiteral("mount"), {QStringLiteral("-o"), QStringLiteral("remount,ro"), m_cartella})
                  == 0;
}

void scrivi(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    // A fixture that cannot be written ends the test: what follows would
    // test nothing.
    if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size())
        throw std::runtime_error("cannot write the test file " + path.toStdString());
}

QByteArray leggi(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QMap<QString, QByteArray> impronte(const QString &cartella)
{
    QMap<QString, QByteArray> m;
    QDirIterator it(cartella, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString f = it.next();
        m.insert(QDir(cartella).relativeFilePath(f), QCryptographicHash::hash(leggi(f), QCryptographicHash::Sha1));
    }
    return m;
}

TestProgramFolder::TestProgramFolder()
{
    const QString p = m_dir.path();
    CatalogSchema::createEmptyShop(p + QStringLiteral("/new"));
    scrivi(p + QStringLiteral("/template/classico/modello1.htm"), "<html><<1-titolo>></html>");
    scrivi(p + QStringLiteral("/template/classico/modello2.htm"), "<html><<1-titolo>></html>");
    scrivi(p + QStringLiteral("/code/vtorder.pl"), "#!/usr/bin/perl\n");
    scrivi(p + QStringLiteral("/code/vtcarrello.js"), "function Acquista() {}\n");
    scrivi(p + QStringLiteral("/code/bonifico/conf.ini"), "action=vtorder\r\n");
    scrivi(p + QStringLiteral("/code/bonifico/form.epg"), "<p>Bonifico</p>\r\n");
    ProgramFolder::setPath(p);
    ProgramFolder::setUserFolder(p + QStringLiteral("/utente"));
    SettingsStore::setLocation(p + QStringLiteral("/settings"));
}

QString TestProgramFolder::newShop(const QString &name)
{
    const QString folder = m_dir.path() + u'/' + name;
    CopiaCartella(m_dir.path() + QStringLiteral("/new"), folder);
    return folder;
}

QString TestProgramFolder::newShopWithCode(const QString &name)
{
    const QString folder = newShop(name);
    if (!CopiaCartella(cartellaDati() + QStringLiteral("/code"), folder + QStringLiteral("/code")))
        throw std::runtime_error("cannot copy the program's code folder into " + folder.toStdString());
    return folder;
}

QString cartellaDati()
{
    return QStringLiteral(VETRASTO_SOURCE_DATA);
}

DatabasePtr apriCatalogo(const QString &negozio)
{
    return Database::open(negozio + QStringLiteral("/catalog.mdb"), Database::Access::Exclusive);
}

NegozioDiProva::NegozioDiProva()
{
    negozio.setSceltaTemplate(this);
    QObject::connect(&negozio, &Negozio::titoloCambiato, [this](const QString &c) { titolo = c; });
    QObject::connect(&dati(), &DatiPrincipali::totaliCambiati, [this] { totale = negozio.testoTotaleArticoli(); });
    QObject::connect(&negozio, &Negozio::articoloRaggiunto, [this](qint64 id) { articoloRaggiunto = id; });
    QObject::connect(&negozio, &Negozio::riavvioRichiesto, [this] { ++riavvii; });
    QObject::connect(&dati(), &DatiPrincipali::repartoCambiato, [this](bool c) { repartoCorrente = c; });
    QObject::connect(&dati(), &DatiPrincipali::articoloCambiato, [this](bool c) { articoloCorrente = c; });
    Shell::impostaSceltaCartella([this](const QString &titolo, const QString &) {
        titoliCartelle << titolo;
        if (cartelle.empty())
            return QString();
        const QString c = cartelle.front();
        cartelle.pop_front();
        return c;
    });
}

NegozioDiProva::~NegozioDiProva()
{
    Shell::impostaSceltaCartella({});
}

bool NegozioDiProva::ScegliTemplate()
{
    ++scelteTemplate;
    return !templateScelto.isEmpty() && negozio.ApplicaTemplate(templateScelto);
}

int NegozioDiProva::apri(const QString &folder)
{
    negozio.state.PercorsoNegozio = folder;
    return negozio.CaricaNegozio();
}

void riempiCatalogo(Database &db, int reparti, int articoliPerReparto)
{
    db.beginTrans();
    db.execute(QStringLiteral("DELETE FROM categorie"));
    db.execute(QStringLiteral("DELETE FROM articoli"));
    for (int r = 1; r <= reparti; ++r) {
        const QString id = QStringLiteral("cat%1").arg(r, 3, 10, QLatin1Char('0'));
        // Every tenth department hangs under the one before it.
        const bool sub = r % 10 == 0;
        const QString parent = sub ? QStringLiteral("cat%1").arg(r - 1, 3, 10, QLatin1Char('0')) : QStringLiteral("###");
        db.execute(QStringLiteral("INSERT INTO categorie (contatore, ID, genitore, livello, ordinamento, pagina, "
                                  "template, titolo) VALUES (?, ?, ?, ?, ?, ?, 'modello1', ?)"),
                   {r, id, parent, sub ? 2 : 1, r, id, QStringLiteral("Reparto %1").arg(r)});
        if (sub)
            db.execute(QStringLiteral("UPDATE categorie SET hafigli=-1 WHERE ID=?"), {parent});
        for (int a = 1; a <= articoliPerReparto; ++a)
            db.execute(QStringLiteral("INSERT INTO articoli (catID, ordinamento, codice, titolo, prezzo) "
                                      "VALUES (?, ?, ?, ?, ?)"),
                       {id, a, QStringLiteral("A%1-%2").arg(r).arg(a), QStringLiteral("Articolo %1").arg(a),
                        qlonglong(a) * 10000});
    }
    db.commitTrans();
}
