// The update of the bank's password files: the choice of the pair, the
// copies in the scripts folder that the publisher sends, and what happens
// to the copies and to the password-file name when the upload succeeds,
// fails or cannot start.
#include "aggiornamentopassword.h"
#include "testshop.h"

#include "scriptedmessages.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The publisher stand-in: records the scripts folder as the upload finds it.
class CaricamentoProva : public CaricamentoPassword {
public:
    explicit CaricamentoProva(QString cartella) : m_cartella(std::move(cartella)) {}
    Esito esito = Esito::Inviati;
    QStringList trovati;
    QList<bool> accodamenti;
    bool soloProprietario = true;  // the copies' permissions
    Esito carica(bool accoda) override
    {
        accodamenti << accoda;
        trovati = QDir(m_cartella).entryList(QDir::Files, QDir::Name);
        for (const QString &f : QDir(m_cartella).entryList({"*.ric", "*.ris"}, QDir::Files))
            soloProprietario = soloProprietario && QFile::permissions(m_cartella + u'/' + f) ==
                                                       (QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser |
                                                        QFile::WriteUser);
        return esito;
    }

private:
    QString m_cartella;
};

// A password file; one that cannot be written ends the test.
void crea(const QString &p, const QByteArray &b = "P1\r\nP2\r\n")
{
    scrivi(p, b);
}

} // namespace

class TestPassword : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_script, m_posta;

private slots:
    void init()
    {
        m_script = m_dir.path() + "/negozio/scripts";
        m_posta = m_dir.path() + "/posta";
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_script);
        crea(m_script + "/vtorder1A2.pl");
        for (const char *f : {"GP123.ric", "GP123.ris", "GP124.ric", "GP123.RIS", "altro.ris"})
            crea(m_posta + u'/' + QLatin1String(f));
    }

    void scelta_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<bool>("accettata");
        QTest::newRow(".ric prima") << QStringList{"GP123.ric", "GP123.ris"} << true;
        QTest::newRow(".ris prima") << QStringList{"GP123.ris", "GP123.ric"} << true;
        QTest::newRow("un file") << QStringList{"GP123.ric"} << false;
        QTest::newRow("tre file") << QStringList{"GP123.ric", "GP123.ris", "GP124.ric"} << false;
        QTest::newRow("due .ric") << QStringList{"GP123.ric", "GP124.ric"} << false;
        QTest::newRow("nomi diversi") << QStringList{"GP124.ric", "altro.ris"} << false;
        QTest::newRow("estensione maiuscola") << QStringList{"GP123.ric", "GP123.RIS"} << false;
    }
    void scelta()
    {
        QFETCH(QStringList, files);
        QFETCH(bool, accettata);
        ScriptedMessages msg;
        AggiornamentoPassword a(m_script, msg, nullptr);
        // An earlier choice stays when the new one is refused.
        QVERIFY(a.scegli({m_posta + "/GP124.ric", m_posta + "/GP124.ris"}));
        QStringList percorsi;
        for (const QString &f : files)
            percorsi << m_posta + u'/' + f;
        QCOMPARE(a.scegli(percorsi), accettata);
        QCOMPARE(msg.texts(), accettata ? QStringList() : QStringList{AggiornamentoPassword::MessaggioCoppia()});
        QCOMPARE(a.txtRic, m_posta + (accettata ? "/GP123.ric" : "/GP124.ric"));
        QCOMPARE(a.txtRis, m_posta + (accettata ? "/GP123.ris" : "/GP124.ris"));
        QCOMPARE(a.lblRic, accettata ? QStringLiteral("GP123.ric") : QStringLiteral("GP124.ric"));
        QVERIFY(a.aggiornabile());
    }

    // A pair inside the scripts folder is refused: the update would delete it.
    void coppiaNegliScript()
    {
        crea(m_script + "/GP9.ric");
        crea(m_script + "/GP9.ris");
        ScriptedMessages msg;
        AggiornamentoPassword a(m_script, msg, nullptr);
        QVERIFY(!a.scegli({m_script + "/GP9.ric", m_script + "/GP9.ris"}));
        QVERIFY(msg.texts().value(0).contains("cartella degli script"));
        QVERIFY(!a.aggiornabile());
        QVERIFY(QFile::exists(m_script + "/GP9.ric"));
    }

    void aggiorna_data()
    {
        QTest::addColumn<bool>("accoda");
        QTest::addColumn<int>("esito");
        QTest::addColumn<QString>("pwdPrima");
        QTest::addColumn<QString>("pwdDopo");
        QTest::addColumn<QStringList>("messaggi");
        const QString domanda = "Questa operazione";
        const QString aggiornato = "E' stato aggiornato il campo 'Nome dei file password' nella maschera di GestPay OTP";
        using E = CaricamentoPassword::Esito;
        QTest::newRow("sostituisci") << false << int(E::Inviati) << "GP1" << "GP123" << QStringList{domanda, aggiornato};
        QTest::newRow("accoda, stesso nome") << true << int(E::Inviati) << "GP123" << "GP123" << QStringList{domanda};
        QTest::newRow("invio fallito") << false << int(E::Fallito) << "GP1" << "GP1" << QStringList{domanda};
        QTest::newRow("editore non avviato") << true << int(E::NonAvviato) << "GP1" << "GP1"
                                             << QStringList{domanda, "Impossibile completare l'operazione"};
    }
    void aggiorna()
    {
        QFETCH(bool, accoda);
        QFETCH(int, esito);
        QFETCH(QString, pwdPrima);
        QFETCH(QStringList, messaggi);
        // A copy of the pair left by an earlier failed attempt.
        crea(m_script + "/GP123.ric", "vecchio");
        ScriptedMessages msg;
        msg.answer(Messages::Answer::Yes);
        CaricamentoProva caricamento(m_script);
        caricamento.esito = CaricamentoPassword::Esito(esito);
        AggiornamentoPassword a(m_script, msg, &caricamento);
        QVERIFY(a.scegli({m_posta + "/GP123.ris", m_posta + "/GP123.ric"}));
        a.accoda = accoda;
        QString pwd = pwdPrima;
        QCOMPARE(a.aggiorna(pwd), esito == int(CaricamentoPassword::Esito::Inviati));
        QStringList visti;
        for (const QString &t : msg.texts())
            visti << (t.startsWith("Questa operazione") ? "Questa operazione" : t);
        QCOMPARE(visti, messaggi);
        QTEST(pwd, "pwdDopo");
        // The publisher found exactly the pair, fresh, beside the scripts.
        QCOMPARE(caricamento.trovati, (QStringList{"GP123.ric", "GP123.ris", "vtorder1A2.pl"}));
        QCOMPARE(caricamento.accodamenti, QList<bool>{accoda});
        QVERIFY(caricamento.soloProprietario);
        // No password file stays in the scripts folder; the originals stay.
        QCOMPARE(QDir(m_script).entryList(QDir::Files), QStringList{"vtorder1A2.pl"});
        QVERIFY(QFile::exists(m_posta + "/GP123.ric") && QFile::exists(m_posta + "/GP123.ris"));
        // After a success the button waits for a new pair; after a failure
        // the pair stays chosen for a retry.
        QCOMPARE(a.aggiornabile(), esito != int(CaricamentoPassword::Esito::Inviati));
    }

    // Other password files in the scripts folder would be sent with the
    // pair: the update does not start, and deletes and sends nothing.
    void fileEstranei_data()
    {
        QTest::addColumn<QStringList>("altri");
        QTest::newRow("un altro .ris") << QStringList{"GP77.ris"};
        QTest::newRow("un altro .ric e un .ris") << QStringList{"GP77.ris", "vecchio.ric"};
        QTest::newRow("il nome della coppia in maiuscolo") << QStringList{"GP123.RIC"};
    }
    void fileEstranei()
    {
        QFETCH(QStringList, altri);
        for (const QString &f : altri)
            crea(m_script + u'/' + f, "del negozio");
        crea(m_script + "/GP123.ric", "vecchio");
        const QStringList prima = QDir(m_script).entryList(QDir::Files, QDir::Name);
        ScriptedMessages msg;
        msg.answer(Messages::Answer::Yes);
        CaricamentoProva caricamento(m_script);
        AggiornamentoPassword a(m_script, msg, &caricamento);
        QVERIFY(a.scegli({m_posta + "/GP123.ric", m_posta + "/GP123.ris"}));
        QString pwd = "GP1";
        QVERIFY(!a.aggiorna(pwd));
        QCOMPARE(msg.texts().size(), 1);
        for (const QString &f : altri)
            QVERIFY2(msg.texts().value(0).contains(f), qPrintable(msg.texts().value(0)));
        QVERIFY(msg.texts().value(0).contains("nessun file è stato inviato né cancellato"));
        QVERIFY(caricamento.accodamenti.isEmpty());
        QCOMPARE(QDir(m_script).entryList(QDir::Files, QDir::Name), prima);
        QCOMPARE(leggi(m_script + "/GP123.ric"), QByteArray("vecchio"));
        QCOMPARE(pwd, QStringLiteral("GP1"));
        QVERIFY(a.aggiornabile());
    }

    // No to the question: nothing is sent or renamed; only stale copies go.
    void rispostaNo()
    {
        crea(m_script + "/GP123.ric", "vecchio");
        ScriptedMessages msg;
        msg.answer(Messages::Answer::No);
        CaricamentoProva caricamento(m_script);
        AggiornamentoPassword a(m_script, msg, &caricamento);
        QVERIFY(a.scegli({m_posta + "/GP123.ric", m_posta + "/GP123.ris"}));
        QString pwd = "GP1";
        QVERIFY(!a.aggiorna(pwd));
        QCOMPARE(pwd, QStringLiteral("GP1"));
        QVERIFY(caricamento.accodamenti.isEmpty());
        QCOMPARE(QDir(m_script).entryList(QDir::Files), QStringList{"vtorder1A2.pl"});
        QVERIFY(a.aggiornabile());
    }

    // An original removed after the choice: the copy fails before any
    // upload, nothing is renamed and nothing is left behind.
    void copiaFallita()
    {
        ScriptedMessages msg;
        msg.answer(Messages::Answer::Yes);
        CaricamentoProva caricamento(m_script);
        AggiornamentoPassword a(m_script, msg, &caricamento);
        QVERIFY(a.scegli({m_posta + "/GP123.ric", m_posta + "/GP123.ris"}));
        QVERIFY(QFile::remove(m_posta + "/GP123.ris"));
        QString pwd = "GP1";
        QVERIFY(!a.aggiorna(pwd));
        QCOMPARE(msg.texts().value(1), QStringLiteral("Impossibile completare l'operazione"));
        QCOMPARE(pwd, QStringLiteral("GP1"));
        QVERIFY(caricamento.accodamenti.isEmpty());
        QCOMPARE(QDir(m_script).entryList(QDir::Files), QStringList{"vtorder1A2.pl"});
        QVERIFY(QFile::exists(m_posta + "/GP123.ric"));
    }
};

QTEST_GUILESS_MAIN(TestPassword)
#include "test_password.moc"
