// The payment systems' files on a real shop folder: conf.ini read and
// written as the settings dialogs share it, the fragments filled from
// form.epg, the bank's OTP scripts, and saves that fail leaving every file
// as it was.
#include "testshop.h"
#include "sistemipagamento.h"
#include "testofile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtTest>

Q_DECLARE_METATYPE(Sistema)

class TestConfPagamento : public QObject {
    Q_OBJECT

private slots:
    void analizza_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("righe");  // key=value as read
        QTest::newRow("CR LF") << QByteArray("mid=1\r\nval=978\r\n") << QStringList{"mid=1", "val=978"};
        QTest::newRow("CR LF, LF e CR mescolati")
            << QByteArray("a=1\nb=2\r\nc=3\rd=4") << QStringList{"a=1", "b=2", "c=3", "d=4"};
        QTest::newRow("righe senza uguale e vuote")
            << QByteArray("; commento\r\n\r\nmid=x\r\n[sezione]\r\n") << QStringList{"mid=x"};
        QTest::newRow("altri uguali nel valore") << QByteArray("action=a=b==c\r\n") << QStringList{"action=a=b==c"};
        QTest::newRow("nulla è tolto") << QByteArray(" mid = x \r\n=vuota\r\n") << QStringList{" mid = x ", "=vuota"};
        QTest::newRow("segno d'ordine dei byte") << QByteArray("\xEF\xBB\xBFmid=abc\r\n") << QStringList{"mid=abc"};
        QTest::newRow("Windows-1252") << QByteArray("info=caff\xE8 \x80 5\r\n")
                                      << QStringList{QString::fromUtf8("info=caffè € 5")};
    }
    void analizza()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, righe);
        QStringList lette;
        for (const RigaConf &r : ConfIni::analizza(TestoFile::decodifica(file).testo))
            lette << r.chiave + u'=' + r.valore;
        QCOMPARE(lette, righe);
    }

    void segnaposto_data()
    {
        QTest::addColumn<QString>("testo");
        QTest::addColumn<QString>("segnaposto");
        QTest::addColumn<QString>("valore");
        QTest::addColumn<QString>("atteso");
        QTest::newRow("tre volte") << "#mid-#mid-#mid" << "#mid" << "X" << "X-X-X";
        QTest::newRow("valore che lo contiene") << "#mid-#mid" << "#mid" << "a#midb" << "#mid-#mid";
        QTest::newRow("esatto nelle maiuscole") << "#MID #mid" << "#mid" << "1" << "#MID 1";
        QTest::newRow("valore vuoto") << "a#infob" << "#info" << "" << "ab";
        // The value brings a placeholder in front of later text: it is
        // searched again from the start.
        QTest::newRow("ricerca dall'inizio") << "#m#mid" << "#mid" << "id" << "id";
    }
    void segnaposto()
    {
        QFETCH(QString, testo);
        QFETCH(QString, segnaposto);
        QFETCH(QString, valore);
        QTEST(RiempiSegnaposto(testo, segnaposto, valore), "atteso");
    }

    // Open, change every field, save: conf.ini and the fragment as expected,
    // and the lines not owned kept before the owned ones.
    void salva_data()
    {
        QTest::addColumn<Sistema>("sistema");
        QTest::addColumn<QByteArray>("conf");       // conf.ini before
        QTest::addColumn<QByteArray>("modello");    // form.epg
        QTest::addColumn<QByteArray>("confAtteso");
        QTest::addColumn<QByteArray>("frammento");

        QTest::newRow("Telepay, euro, prova")
            << Sistema::Telepay << QByteArray("extra=a=b\r\nmid=vecchio\r\njava=alert(1)\r\ncommento\r\nval=380\r\n")
            << QByteArray("<form action=\"#url\"><input value=\"#mid\"><input value=\"#val\"><script>#java</script>")
            << QByteArray("extra=a=b\r\nmid=M1\r\nval=978\r\nurl=http://telepay-test.example-banca.it/tltest/index.html\r\n"
                          "java=importo = Math.round(importo1 * 100);\r\n")
            << QByteArray("<form action=\"http://telepay-test.example-banca.it/tltest/index.html\"><input value=\"M1\">"
                          "<input value=\"978\"><script>importo = Math.round(importo1 * 100);</script>");
        QTest::newRow("Sella, OTP")
            << Sistema::Sella << QByteArray("pl=gestpayotp\r\naltro=1\r\nmid=\r\n")
            << QByteArray("e=#mid v=#val")
            << QByteArray("pl=gestpayotp\r\npl=s2sotp\r\naction=gestpayotp\r\nmid=M1\r\nval=242\r\npwd=GP9\r\n")
            << QByteArray("e=M1 v=242");
        QTest::newRow("Authorize.Net, righe estranee tenute")
            << Sistema::AuthorizeNet << QByteArray("MID=maiuscolo\r\nz=1\r\nmid=a\r\n") << QByteArray("[#mid]")
            << QByteArray("MID=maiuscolo\r\nz=1\r\nmid=M1\r\n") << QByteArray("[M1]");
        QTest::newRow("Planet Payment, senza conf.ini")
            << Sistema::PlanetPayment << QByteArray() << QByteArray("[#mid]\r\n") << QByteArray("mid=M1\r\n")
            << QByteArray("[M1]\r\n");
        QTest::newRow("Contrassegno, due righe")
            << Sistema::Contrassegno << QByteArray("x=1\r\ninfo=vecchio\r\n") << QByteArray("<div>#info</div>")
            << QByteArray("x=1\r\ninfo=Riga 1|Riga 2\r\n") << QByteArray("<div>Riga 1<BR>Riga 2</div>");
        QTest::newRow("Pagamento anticipato, HTML tenuto")
            << Sistema::Anticipato << QByteArray("info=\r\n") << QByteArray("<div>#info</div>")
            << QByteArray("info=<b>IBAN</b>|IT00\r\n") << QByteArray("<div><b>IBAN</b>\r\nIT00</div>");
    }
    void salva()
    {
        QFETCH(Sistema, sistema);
        QFETCH(QByteArray, conf);
        QFETCH(QByteArray, modello);
        TestProgramFolder programma;
        const QString negozio = programma.newShopWithCode();
        auto c = NuovaConfigurazione(negozio, sistema);
        QFile::remove(c->fileConf());
        if (!conf.isEmpty())
            scrivi(c->fileConf(), conf);
        scrivi(c->fileModello(), modello);
        QCOMPARE(c->LeggiConf(), !conf.isEmpty());
        if (auto *t = dynamic_cast<ConfTelepay *>(c.get())) {
            QCOMPARE(t->valuta, Valuta::Lire);
            t->mid = "M1";
            t->valuta = Valuta::Euro;
            t->test = true;
        } else if (auto *s = dynamic_cast<ConfSella *>(c.get())) {
            QVERIFY(!s->cryptDaBuffer());
            s->mid = "M1";
            s->valuta = Valuta::Euro;
            s->pwd = "GP9";
        } else if (auto *m = dynamic_cast<ConfMerchantId *>(c.get())) {
            m->mid = "M1";
        } else if (auto *i = dynamic_cast<ConfInformativo *>(c.get())) {
            // LF alone, as a text field gives it, counts as a line break.
            i->setInfo(sistema == Sistema::Contrassegno ? "Riga 1\nRiga 2" : "<b>IBAN</b>\nIT00");
        }
        QString errore;
        QVERIFY2(c->SalvaConf(&errore), qPrintable(errore));
        QTEST(leggi(c->fileConf()), "confAtteso");
        QTEST(leggi(c->fileFrammento()), "frammento");

        // Read again and saved again: the same files.
        auto d = NuovaConfigurazione(negozio, sistema);
        QVERIFY(d->LeggiConf());
        QVERIFY(d->SalvaConf(&errore));
        QTEST(leggi(d->fileConf()), "confAtteso");
        QTEST(leggi(d->fileFrammento()), "frammento");
    }

    // Values typed or pasted with quotes, angle brackets, "$", "@",
    // backslashes and line breaks: one line each in conf.ini, escaped in
    // the fragment.
    void valoriOstili()
    {
        TestProgramFolder programma;
        const QString negozio = programma.newShopWithCode();
        ConfMerchantId c(negozio, Sistema::AuthorizeNet);
        scrivi(c.fileModello(), "<input value=\"#mid\">");
        c.mid = "a\"b'<c>&$@\\\r\nval=iniettato\nx";
        QString errore;
        QVERIFY2(c.SalvaConf(&errore), qPrintable(errore));
        QCOMPARE(leggi(c.fileConf()), QByteArray("mid=a\"b'<c>&$@\\val=iniettatox\r\n"));
        QCOMPARE(leggi(c.fileFrammento()),
                 QByteArray("<input value=\"a&quot;b&#39;&lt;c&gt;&amp;$@\\val=iniettatox\">"));
        ConfMerchantId letto(negozio, Sistema::AuthorizeNet);
        QVERIFY(letto.LeggiConf());
        QCOMPARE(letto.mid, QStringLiteral("a\"b'<c>&$@\\val=iniettatox"));
        QCOMPARE(letto.buffer(), QString());

        ConfInformativo info(negozio, Sistema::Contrassegno);
        info.setInfo("a -> b & c <\r\nfine");
        QVERIFY(info.SalvaConf(&errore));
        QVERIFY(leggi(info.fileFrammento()).contains("a -&gt; b & c &lt;<BR>fine"));
    }

    // A save that cannot complete writes nothing: a missing template, or a
    // file that cannot be replaced after conf.ini already was.
    void salvaFallito_data()
    {
        QTest::addColumn<Sistema>("sistema");
        QTest::addColumn<QString>("guasto");  // file name in the system folder, or the fragment
        QTest::addColumn<bool>("cartella");   // made a folder instead of removed
        QTest::newRow("form.epg mancante") << Sistema::Contrassegno << "form.epg" << false;
        QTest::newRow("frammento non sostituibile") << Sistema::Telepay << ".epg" << true;
        QTest::newRow("gestpayotp.new mancante") << Sistema::Sella << "gestpayotp.new" << false;
        QTest::newRow("s2sotp.new mancante") << Sistema::Sella << "s2sotp.new" << false;
        QTest::newRow("s2sotp.pl non sostituibile") << Sistema::Sella << "s2sotp.pl" << true;
    }
    void salvaFallito()
    {
        QFETCH(Sistema, sistema);
        QFETCH(QString, guasto);
        QFETCH(bool, cartella);
        TestProgramFolder programma;
        const QString negozio = programma.newShopWithCode();
        auto c = NuovaConfigurazione(negozio, sistema);
        // A first save, so that every output exists.
        QString errore;
        QVERIFY(c->LeggiConf());
        QVERIFY2(c->SalvaConf(&errore), qPrintable(errore));
        const QString bersaglio = guasto == ".epg" ? c->fileFrammento() : c->cartellaSistema() + u'/' + guasto;
        QVERIFY(QFile::remove(bersaglio));
        if (cartella)
            QVERIFY(QDir().mkpath(bersaglio + "/dentro"));
        QMap<QString, QByteArray> prima;
        const QString code = negozio + "/code";
        for (const QString &f : QDir(code).entryList(QDir::Files))
            prima[f] = leggi(code + u'/' + f);
        for (const QString &f : QDir(c->cartellaSistema()).entryList(QDir::Files))
            prima[c->dati().nome + u'/' + f] = leggi(c->cartellaSistema() + u'/' + f);

        if (auto *s = dynamic_cast<ConfSella *>(c.get()))
            s->pwd = "NUOVO";
        else if (auto *t = dynamic_cast<ConfTelepay *>(c.get()))
            t->mid = "NUOVO";
        else if (auto *i = dynamic_cast<ConfInformativo *>(c.get()))
            i->setInfo("NUOVO");
        errore.clear();
        QVERIFY(!c->SalvaConf(&errore));
        QVERIFY(errore.contains(c->dati().nome));
        QVERIFY(errore.contains("Nessun file è stato modificato"));
        QMap<QString, QByteArray> dopo;
        for (const QString &f : QDir(code).entryList(QDir::Files | QDir::Hidden))
            dopo[f] = leggi(code + u'/' + f);
        for (const QString &f : QDir(c->cartellaSistema()).entryList(QDir::Files | QDir::Hidden))
            dopo[c->dati().nome + u'/' + f] = leggi(c->cartellaSistema() + u'/' + f);
        QCOMPARE(dopo, prima);
    }

    void sellaModi()
    {
        TestProgramFolder programma;
        const QString negozio = programma.newShopWithCode();
        ConfSella s(negozio);
        QVERIFY(s.LeggiConf());
        QVERIFY(!s.cryptDaBuffer());  // the program's copy is in OTP mode
        s.crypt = true;
        s.pwd = "tenuto";
        QString errore;
        QFile::remove(s.cartellaSistema() + "/gestpayotp.pl");
        QVERIFY(s.SalvaConf(&errore));
        QCOMPARE(leggi(s.fileConf()), QByteArray("pl(default)=gestpaycrypt\r\nasp(Default)=gestpaycrypt\r\n"
                                                     "pl=s2scrypt\r\nmid=\r\nval=\r\npwd=tenuto\r\n"));
        QVERIFY(!QFile::exists(s.cartellaSistema() + "/gestpayotp.pl"));
        ConfSella letta(negozio);
        QVERIFY(letta.LeggiConf());
        QVERIFY(letta.cryptDaBuffer());
        QCOMPARE(letta.pwd, QStringLiteral("tenuto"));

        // A name that would reach another folder is refused in OTP mode.
        letta.crypt = false;
        letta.pwd = "../segreto";
        QVERIFY(!letta.SalvaConf(&errore));
        QVERIFY(errore.contains("nome dei file password"));
        QVERIFY(leggi(s.fileConf()).contains("pwd=tenuto"));
    }

    // A currency code the gateway does not know changes nothing: the one
    // read before stays.
    void valutaSconosciuta_data()
    {
        QTest::addColumn<bool>("sella");
        QTest::addColumn<QByteArray>("conf");
        QTest::addColumn<int>("valuta");
        QTest::newRow("Telepay, euro poi codice ignoto") << false << QByteArray("val=978\r\nval=x\r\n") << int(Valuta::Euro);
        QTest::newRow("Telepay, lire poi codice di Sella") << false << QByteArray("val=380\r\nval=242\r\n")
                                                           << int(Valuta::Lire);
        QTest::newRow("Telepay, solo codice ignoto") << false << QByteArray("val=999\r\n") << int(Valuta::Nessuna);
        QTest::newRow("Sella, euro poi codice ignoto") << true << QByteArray("val=242\r\nval=x\r\n") << int(Valuta::Euro);
        QTest::newRow("Sella, euro poi nessuna") << true << QByteArray("val=242\r\nval=\r\n") << int(Valuta::Nessuna);
        QTest::newRow("Sella, lire poi codice di Telepay") << true << QByteArray("val=18\r\nval=978\r\n")
                                                           << int(Valuta::Lire);
    }
    void valutaSconosciuta()
    {
        QFETCH(bool, sella);
        QFETCH(QByteArray, conf);
        TestProgramFolder programma;
        const QString negozio = programma.newShopWithCode();
        ConfTelepay telepay(negozio);
        ConfSella banca(negozio);
        ConfigurazioneSistema &c = sella ? static_cast<ConfigurazioneSistema &>(banca) : telepay;
        scrivi(c.fileConf(), conf);
        QVERIFY(c.LeggiConf());
        QTEST(int(sella ? banca.valuta : telepay.valuta), "valuta");
    }

    // Telepay's address: only the test address ticks test mode; any other
    // is replaced by the live one at the next save. `java` follows the
    // currency whatever the file held.
    void telepayIndirizzo_data()
    {
        QTest::addColumn<QByteArray>("conf");
        QTest::addColumn<bool>("test");
        QTest::addColumn<QByteArray>("salvato");
        QTest::newRow("indirizzo di prova")
            << QByteArray("url=http://telepay-test.example-banca.it/tltest/index.html\r\nval=380\r\njava=x\r\n") << true
            << QByteArray("mid=\r\nval=380\r\nurl=http://telepay-test.example-banca.it/tltest/index.html\r\n"
                          "java=importo = Math.round(importo1);\r\n");
        QTest::newRow("altro indirizzo") << QByteArray("url=http://altro.example/\r\nval=999\r\n") << false
                                         << QByteArray("mid=\r\nval=\r\nurl=https://telepay.example-banca.it/tl/"
                                                       "index.html\r\njava=\r\n");
    }
    void telepayIndirizzo()
    {
        QFETCH(QByteArray, conf);
        TestProgramFolder programma;
        const QString negozio = programma.newShopWithCode();
        ConfTelepay t(negozio);
        scrivi(t.fileConf(), conf);
        QVERIFY(t.LeggiConf());
        QTEST(t.test, "test");
        QString errore;
        QVERIFY(t.SalvaConf(&errore));
        QTEST(leggi(t.fileConf()), "salvato");
    }

    // The information text: line breaks stored as "|", a "|" typed comes
    // back as a line break, an empty text empties the placeholder.
    void informativo_data()
    {
        QTest::addColumn<QString>("testo");
        QTest::addColumn<QByteArray>("riga");
        QTest::addColumn<QString>("riletto");
        QTest::addColumn<QByteArray>("frammento");
        QTest::newRow("due righe") << "uno\r\ndue" << QByteArray("info=uno|due\r\n") << "uno\r\ndue"
                                   << QByteArray("<p>uno<BR>due</p>");
        QTest::newRow("barra digitata") << "a|b" << QByteArray("info=a|b\r\n") << "a\r\nb" << QByteArray("<p>a|b</p>");
        QTest::newRow("CR solo") << "a\rb" << QByteArray("info=a|b\r\n") << "a\r\nb" << QByteArray("<p>a<BR>b</p>");
        QTest::newRow("vuoto") << "" << QByteArray("info=\r\n") << "" << QByteArray("<p></p>");
        QTest::newRow("segnaposto nel testo") << "vedi #info" << QByteArray("info=vedi #info\r\n") << "vedi #info"
                                              << QByteArray("<p>#info</p>");
    }
    void informativo()
    {
        QFETCH(QString, testo);
        TestProgramFolder programma;
        const QString negozio = programma.newShopWithCode();
        ConfInformativo c(negozio, Sistema::Anticipato);
        scrivi(c.fileConf(), "z=1\r\n");
        scrivi(c.fileModello(), "<p>#info</p>");
        QVERIFY(c.LeggiConf());
        c.setInfo(testo);
        QString errore;
        QVERIFY(c.SalvaConf(&errore));
        QFETCH(QByteArray, riga);
        QCOMPARE(leggi(c.fileConf()), "z=1\r\n" + riga);
        QTEST(leggi(c.fileFrammento()), "frammento");
        ConfInformativo letto(negozio, Sistema::Anticipato);
        QVERIFY(letto.LeggiConf());
        QTEST(letto.info(), "riletto");
    }

    void pwdProposta_data()
    {
        QTest::addColumn<QString>("mid");
        QTest::addColumn<QString>("pwd");
        QTest::addColumn<bool>("crypt");
        QTest::addColumn<QString>("atteso");
        QTest::newRow("GESPAY00123") << "GESPAY00123" << "" << false << "GP123";
        QTest::newRow("GESPAY non all'inizio") << "XGESPAY123" << "" << false << "GP0";
        QTest::newRow("spazi prima delle cifre") << "GESPAY 0042x" << "" << false << "GP42";
        QTest::newRow("minuscole") << "gespay00123" << "" << false << "";
        QTest::newRow("nome già scritto") << "GESPAY00123" << "GP5" << false << "GP5";
        QTest::newRow("modo Crypt") << "GESPAY00123" << "" << true << "";
    }
    void pwdProposta()
    {
        ConfSella s(QStringLiteral("/nessuno"));
        QFETCH(QString, mid);
        QFETCH(QString, pwd);
        QFETCH(bool, crypt);
        s.mid = mid;
        s.pwd = pwd;
        s.crypt = crypt;
        s.proponiPwd();
        QTEST(s.pwd, "atteso");
    }

    // The OTP scripts read the password name as data: hostile names are
    // inert, the scripts compile and read the right files.
    void scriptOTP_data()
    {
        QTest::addColumn<QString>("pwd");
        QTest::newRow("semplice") << "GP123";
        QTest::newRow("virgolette e dollari") << "a'b\"c$d@e";
        QTest::newRow("fine del documento") << "__VT_FINE_Q7Z__";
        QTest::newRow("codice Perl") << "'; system('touch x'); $x @y '";
    }
    void scriptOTP()
    {
        QFETCH(QString, pwd);
        TestProgramFolder programma;
        const QString negozio = programma.newShopWithCode();
        ConfSella s(negozio);
        QVERIFY(s.LeggiConf());
        s.pwd = pwd;
        QString errore;
        QVERIFY2(s.SalvaConf(&errore), qPrintable(errore));
        for (const char *nome : {"gestpayotp.pl", "s2sotp.pl"}) {
            const QString p = s.cartellaSistema() + u'/' + QLatin1String(nome);
            QByteArray script = leggi(p);
            // The build's merge gives the Perl path; here the one that runs.
            script.replace("<<1-perl_path>>", "/usr/bin/perl");
            scrivi(p, script);
            QProcess perl;
            perl.start(QStringLiteral("/usr/bin/perl"), {QStringLiteral("-c"), p});
            QVERIFY(perl.waitForFinished(20000));
            QVERIFY2(perl.exitCode() == 0, perl.readAllStandardError().constData());
            QVERIFY(!script.contains("#pwd"));
        }

        // Run as CGI programs beside a password pair of that name: the
        // payment script takes the first password, the result script
        // accepts it once.
        const QString cgi = QDir(negozio).filePath("cgi");
        QDir().mkpath(cgi);
        for (const char *nome : {"gestpayotp.pl", "s2sotp.pl"})
            QVERIFY(QFile::copy(s.cartellaSistema() + u'/' + QLatin1String(nome), cgi + u'/' + QLatin1String(nome)));
        scrivi(cgi + u'/' + pwd + ".ric", "PRIMA1\r\nSECONDA2\r\n");
        scrivi(cgi + u'/' + pwd + ".ris", "RISP1\nRISP2\n");
        auto esegui = [&](const char *script, const QByteArray &metodo, const QByteArray &query,
                          const QByteArray &corpo) {
            QProcess perl;
            QProcessEnvironment env;
            env.insert("PATH", "/usr/bin:/bin");
            env.insert("REQUEST_METHOD", metodo);
            env.insert("QUERY_STRING", query);
            env.insert("CONTENT_LENGTH", QString::number(corpo.size()));
            perl.setProcessEnvironment(env);
            perl.start(QStringLiteral("/usr/bin/perl"), {cgi + u'/' + QLatin1String(script)});
            perl.write(corpo);
            perl.closeWriteChannel();
            perl.waitForFinished(20000);
            return perl.readAllStandardOutput();
        };
        const QByteArray pagamento =
            esegui("gestpayotp.pl", "POST", "", "esercente=GESPAY1&valuta=242&importo=12.50&ordine=A-1");
        QVERIFY2(pagamento.startsWith("Status: 303"), pagamento.constData());
        QVERIFY(pagamento.contains("*P1*PAY1_OTP=PRIMA1\r\n"));
        QCOMPARE(leggi(cgi + u'/' + pwd + ".ric"), QByteArray("SECONDA2\n"));
        esegui("s2sotp.pl", "GET", "a=GESPAY1&b=PAY1_OTP=RISP2*P1*PAY1_TRANSACTIONRESULT=OK", "");
        QCOMPARE(leggi(cgi + u'/' + pwd + ".ris"), QByteArray("RISP1\n"));
    }
};

QTEST_GUILESS_MAIN(TestConfPagamento)
#include "test_confpagamento.moc"
