#!/usr/bin/perl
# The order and search scripts, merged with the values a build writes into
# them and run as CGI programs: the request through the environment and
# standard input, the mail through a stand-in sendmail that writes to a file.
use strict;
use utf8;
use warnings;
use File::Temp qw(tempdir);
use Test::More;
use Encode qw(encode decode);
use JSON::PP;

my $data = $ENV{VETRASTO_DATA} or die "VETRASTO_DATA non impostata\n";
my $DATIORDINE = $ENV{VETRASTO_DATIORDINE} or die "VETRASTO_DATIORDINE non impostata\n";
my $UNISCI = $ENV{VETRASTO_UNISCI} or die "VETRASTO_UNISCI non impostata\n";
my $dir = tempdir(CLEANUP => 1);
my $mailfile = "$dir/posta.txt";
open(my $sm, '>', "$dir/sendmail") or die;
print $sm "#!/bin/sh\n{ echo \"ARGS: \$*\"; cat; echo '----FINE----'; } >> '$mailfile'\n";
close $sm;
chmod 0755, "$dir/sendmail";

# The scripts run with Perl's own modules only: @INC holds nothing but the
# core library folders, none of the site's or the distribution's additions.
mkdir "$dir/base" or die;
open(my $base, '>', "$dir/base/VtSoloBase.pm") or die;
print $base "package VtSoloBase;\nuse Config;\n"
          . "\@INC = grep { defined && length } (\$Config{privlibexp}, \$Config{archlibexp});\n1;\n";
close $base;
my $PERL = "'$^X' -I'$dir/base' -MVtSoloBase";

sub arr { my ($n, @v) = @_; push @v, 0 while @v < 16; return "$n=new Array(" . join(',', @v) . ");\r\n"; }

# Two active methods (COD, prepayment); zone 1 Italy, zone 2 EU, zone 3 without
# VAT and without shipping costs; COD only in Italy.
sub valori {
    my %v = (
        perl_path => $^X, negozio => 'Bottega del Caffè', email_ordini => 'ordini@bottega.it',
        firma => "Grazie!\r\nBottega", perl_sendmail => "$dir/sendmail", perl_shopURL => 'http://127.0.0.1:9/negozio',
        paesi => qq{<select size="1" name="LSStato" onChange="SpedPaese()">\r\n<option selected value ="1">Italia</option>\r\n}
               . qq{<option value ="2">Francia</option>\r\n<option value ="3">Città "Libera"</option>\r\n}
               . qq{<option value ="2">Regno  Unito</option>\r\n<option value ="2">Citt&agrave; del&nbsp;Vaticano &amp; dintorni</option>\r\n</select>},
        pagamento => qq{<select size="1" name="Pagamento" onChange="SpedPaese()">\r\n<option selected>Contrassegno</option>\r\n}
               . qq{<option>Bonifico bancario anticipato</option>\r\n</select>},
        java_importi => arr('impord1', 50, 0, 0, 0, 50, 50) . arr('impspese1', '12.00', 0, 0, 0, '9.00', '15.00')
               . arr('impord2', 100, 0, 0, 0, 100, 100) . arr('impspese2', '9.00', 0, 0, 0, '6.00', '12.00')
               . arr('impspese3', '3.00', 0, 0, 0, '0.00', '8.00'),
        java_permessi => "var SpOk='10001110';\r\nvar IvaOk='1100';",
        java_importi_peso => join('', map { arr("imppeso$_", ($_ == 8 ? 2 : $_ == 9 ? 5 : 0)) . arr("impspp$_", ($_ == 8 ? '4.00' : $_ == 9 ? '7.00' : 0)) } 1 .. 9)
               . arr('impspp10', '20.00'),
        java_valuta => qq{var valuta="€ ";\r\nvar sepmigl=".";\r\nvar sepdec=",";\r\nvar PutDec= 1;\r\n},
        java_tipopeso => '0', java_minimo => ' 10', java_ivacompresa => '0', IDnegozio => '24E',
        java_ANDORsearch => 'all', java_sepsearch => 'var sleft = "#"; var sright = "#";',
    );
    return %v;
}

# The model merged by the build's own merger, with these page fields.
sub unisci {
    my ($modello, $uscita, %v) = @_;
    open(my $p, '|-', $UNISCI, $modello, $uscita) or die "vetrasto-unisci: $!";
    print $p JSON::PP->new->utf8->encode(\%v);
    close $p or die "vetrasto-unisci $modello: $?";
}

sub esegui {
    my ($script, %req) = @_;
    unlink $mailfile;
    my $corpo = $req{corpo} // '';
    local $ENV{REQUEST_METHOD} = $req{metodo} // 'POST';
    local $ENV{CONTENT_LENGTH} = length($corpo);
    local $ENV{QUERY_STRING} = $req{query} // '';
    open(my $in, '>:raw', "$dir/stdin") or die;
    print $in $corpo;
    close $in;
    my $out = `$PERL '$script' < '$dir/stdin' 2> '$dir/stderr'`;
    my $posta = -e $mailfile ? do { local $/; open(my $f, '<:raw', $mailfile); <$f> } : '';
    my $errori = do { local $/; open(my $f, '<:raw', "$dir/stderr"); <$f> };
    return ($out, $posta, $errori);
}

# The shop's price list beside the order script, written by the build's
# generator from rows in its input form; the cart texts as the article rows
# write them into the purchase call.
my @LISTINO = (
    { chiave => '11', codice => 'CAF-001', articolo => 'CAF-001 Miscela Bar', prezzo => '8.50', aliquota => '22', peso => 0.2,
      varianti => [[{ testo => 'In grani', prezzo => '1.00', peso => 0.05 }, { testo => 'Macinato', prezzo => '0', peso => 0 }], [], []] },
    { chiave => '12', codice => 'ARA-1', articolo => 'Arabica %22Etiopia%22', prezzo => '20.90', aliquota => '22', peso => 0.5,
      varianti => [[], [{ testo => '500 g', prezzo => '0', peso => 0 }, { testo => '1 kg', prezzo => '19.00', peso => 0.5 }], []] },
    { chiave => '13', codice => 'TZ-5', articolo => 'Tazza', prezzo => '5.00', aliquota => '22', peso => 0.3 },
    { chiave => '14', codice => 'TZ-7', articolo => 'Tazza', prezzo => '7.00', aliquota => '22', peso => 0.3 },
);

sub scrivi_listino {
    my ($file, $righe) = @_;
    open(my $p, '|-', "'$DATIORDINE' > '$file'") or die;
    print $p JSON::PP->new->utf8->encode({ decimali => '0.00', righe => $righe });
    close $p or die "vetrasto-datiordine: $?";
}

# The order script merged into a folder of its own, with the given price
# list, none (undef), or a damaged one ('rotto').
sub prepara {
    my ($nome, $valori, $listino) = @_;
    mkdir "$dir/$nome" or die "$nome: $!";
    unisci("$data/code/vtorder.pl", "$dir/$nome/ordine.pl", %$valori);
    my $file = "$dir/$nome/prezzi$valori->{IDnegozio}.tsv";
    if (ref $listino) {
        scrivi_listino($file, $listino);
    } elsif (defined $listino) {
        open(my $f, '>', $file) or die;
        print $f "pagina,prezzo\n";
        close $f;
    }
    return "$dir/$nome/ordine.pl";
}

sub codifica {
    my %f = @_;
    return join '&', map {
        my $v = encode('UTF-8', $f{$_});
        $v =~ s/([^A-Za-z0-9_.-])/sprintf('%%%02X', ord($1))/ge;
        "$_=$v";
    } sort keys %f;
}

sub ordine {
    my %f = (nome => 'Mario', cognome => 'Rossi', indirizzo => 'Via Roma 1', cap => '10100', citta => 'Torino',
             telefono => '011 123456', email => 'mario@example.it', accetto => 'si', paese => 'Italia',
             Pagamento => 'Contrassegno', metodo => '1', n_articoli => 2,
             articolo_1 => 'CAF-001 Miscela Bar', chiave_1 => '11', varianti_1 => 'In grani', opzione_1_1 => 'In grani', opzione_1_2 => '', opzione_1_3 => '',
             prezzo_1 => '9.50', iva_1 => '.22', qt_1 => 2, peso_1 => '.25',
             articolo_2 => 'Arabica "Etiopia"', chiave_2 => '12', varianti_2 => '500 g', opzione_2_1 => '', opzione_2_2 => '500 g', opzione_2_3 => '',
             prezzo_2 => '20.90', iva_2 => '.22', qt_2 => 1, peso_2 => '.5',
             totale => '60.68', @_);
    return codifica(%f);
}

# ---------------------------------------------------------------- ordini
my %v = valori();
my $ORDINE = prepara('ordine', \%v, \@LISTINO);
like(`$PERL -c '$ORDINE' 2>&1`, qr/syntax OK/, 'lo script d\'ordine unito si compila');

my @casi = (
    # nome, campi cambiati, atteso: totale (ok) o errore; attenzione: l'avviso
    # atteso nella posta del negozio (nessun "ATTENZIONE" se manca)
    ['contrassegno in Italia', [], ok => '60.68'],
    ['bonifico in Francia, IVA applicata', [paese => 'Francia', Pagamento => 'Bonifico bancario anticipato', totale => '63.68'], ok => '63.68', metodo => 2],
    ['paese con virgolette, IVA non applicata', [paese => 'Città "Libera"', Pagamento => 'Bonifico bancario anticipato', totale => '39.90'], ok => '39.90', metodo => 2],
    # the country's name as a browser sends an option's text
    ['paese con due spazi', [paese => 'Regno Unito', Pagamento => 'Bonifico bancario anticipato', totale => '63.68'], ok => '63.68', metodo => 2],
    ['paese scritto con entita', [paese => "Città del\x{a0}Vaticano & dintorni", Pagamento => 'Bonifico bancario anticipato', totale => '63.68'], ok => '63.68', metodo => 2],
    ['oltre la seconda fascia', [qt_1 => 10, totale => '144.40'], ok => '144.40'],
    ['totale del browser manomesso', [totale => '1.00'], ok => '60.68', attenzione => qr/il totale mostrato al cliente \(\x{e2}\x{82}\x{ac} 1,00\)/],
    # Price, VAT rate and weight come from the shop's price list; each
    # difference is named in the shop's mail.
    ['IVA azzerata dal browser', [iva_1 => '0'], ok => '60.68', attenzione => qr/riga 1 \([^\n]*\): nel carrello IVA 0%, listino 22%\./],
    ['prezzo manomesso', [prezzo_1 => '0.01', totale => '41.08'], ok => '60.68',
     attenzione => qr/riga 1 [^\n]*prezzo unitario \x{e2}\x{82}\x{ac} 0,01, listino \x{e2}\x{82}\x{ac} 9,50\..*totale mostrato/s],
    ['variante cara al prezzo di base', [opzione_2_2 => '1 kg', varianti_2 => '1 kg'], ok => '80.86',
     attenzione => qr/riga 2 [^\n]*prezzo unitario \x{e2}\x{82}\x{ac} 20,90, listino \x{e2}\x{82}\x{ac} 39,90; peso 0\.5, listino 1\./],
    ['variante sconosciuta', [opzione_1_1 => 'Oro', varianti_1 => 'Oro'], ok => '60.68',
     attenzione => qr/riga 1 [^\n]*: variante non presente nel listino: prezzo, IVA e peso NON VERIFICATI/],
    ['carrello senza i menu delle varianti', [opzione_1_1 => '', opzione_2_2 => ''], ok => '60.68',
     attenzione => qr/- riga 1 [^\n]*variante non presente[^\n]*\n- riga 2 [^\n]*variante non presente/],
    ['articolo sconosciuto', [articolo_1 => 'Caffè misterioso', chiave_1 => '', opzione_1_1 => ''], ok => '60.68',
     attenzione => qr/riga 1 \(\x{c2}\x{ab}Caff\x{c3}\x{a8} misterioso\x{c2}\x{bb}, In grani\): articolo non presente nel listino/],
    # Articles of one name are told apart by their number in the catalogue.
    ['due articoli con lo stesso nome: quello del carrello', [articolo_2 => 'Tazza', chiave_2 => '14', varianti_2 => '', opzione_2_2 => '', prezzo_2 => '7.00', peso_2 => '.3', totale => '43.72'], ok => '43.72'],
    ['due articoli con lo stesso nome, prezzo di nessuno', [articolo_2 => 'Tazza', chiave_2 => '13', varianti_2 => '', opzione_2_2 => '', prezzo_2 => '6.00', peso_2 => '.3', totale => '41.28'], ok => '41.28',
     attenzione => qr/riga 2 [^\n]*prezzo unitario \x{e2}\x{82}\x{ac} 6,00, listino \x{e2}\x{82}\x{ac} 5,00\./],
    ['due articoli con lo stesso nome: il piu\' caro al prezzo dell\'altro', [articolo_2 => 'Tazza', chiave_2 => '14', varianti_2 => '', opzione_2_2 => '', prezzo_2 => '5.00', peso_2 => '.3', totale => '41.28'], ok => '43.72',
     attenzione => qr/riga 2 [^\n]*: nel carrello prezzo unitario \x{e2}\x{82}\x{ac} 5,00, listino \x{e2}\x{82}\x{ac} 7,00\./],
    ['due articoli con lo stesso nome, carrello senza numero', [articolo_2 => 'Tazza', chiave_2 => '', varianti_2 => '', opzione_2_2 => '', prezzo_2 => '5.00', peso_2 => '.3', totale => '41.28'], ok => '41.28',
     attenzione => qr/riga 2 [^\n]*: piu' articoli del listino hanno questo nome e il carrello non dice quale: prezzo, IVA e peso NON VERIFICATI/],
    ['numero di un altro articolo', [articolo_2 => 'Tazza', chiave_2 => '11', varianti_2 => 'In grani', opzione_2_1 => 'In grani', opzione_2_2 => '', prezzo_2 => '5.00', peso_2 => '.3', totale => '46.77'], ok => '46.77',
     attenzione => qr/riga 2 [^\n]*: nel carrello nome \x{c2}\x{ab}Tazza\x{c2}\x{bb}, listino \x{c2}\x{ab}CAF-001 Miscela Bar\x{c2}\x{bb}; prezzo unitario \x{e2}\x{82}\x{ac} 5,00, listino \x{e2}\x{82}\x{ac} 9,50; peso 0\.3, listino 0\.25\./],
    ['numero sconosciuto', [chiave_1 => '999'], ok => '60.68', attenzione => qr/riga 1 [^\n]*: articolo non presente nel listino/],
    ['numero non valido', [chiave_1 => '1 OR 1'], errore => qr/riga 1/],
    ['contrassegno non disponibile in Francia', [paese => 'Francia'], errore => qr/non e' disponibile/],
    ['paese sconosciuto', [paese => 'Atlantide'], errore => qr/paese di spedizione/],
    ['metodo sconosciuto', [Pagamento => 'Carta'], errore => qr/pagamento non e' valida/],
    ['quantita negativa', [qt_1 => '-1'], errore => qr/riga 1/],
    ['quantita con esponente', [qt_1 => '1e3'], errore => qr/riga 1/],
    ['prezzo negativo', [prezzo_2 => '-20.90'], errore => qr/riga 2/],
    ['aliquota fuori misura', [iva_2 => '5'], errore => qr/riga 2/],
    # Numbers are written in ASCII digits: digits of other scripts count as
    # nothing in the arithmetic.
    ['aliquota in cifre arabe', [iva_1 => "\x{660}.\x{662}"], errore => qr/riga 1/],
    ['aliquota in cifre a larghezza piena', [iva_1 => ".\x{ff12}\x{ff12}"], errore => qr/riga 1/],
    ['prezzo in cifre arabe', [prezzo_1 => "\x{669}.\x{665}\x{660}"], errore => qr/riga 1/],
    ['peso in cifre arabe', [peso_2 => "\x{660}.\x{665}"], errore => qr/riga 2/],
    # The weights a cart line carries are those the build publishes: below
    # 10,000,000 either way; an article beyond is left out by the build.
    ['peso al limite degli ordini', [peso_2 => '9999999.999999'], ok => '60.68',
     attenzione => qr/riga 2 [^\n]*: nel carrello peso 9999999\.999999, listino 0\.5\./],
    ['peso negativo al limite degli ordini', [peso_2 => '-9999999.999999'], ok => '60.68',
     attenzione => qr/riga 2 [^\n]*: nel carrello peso -9999999\.999999, listino 0\.5\./],
    ['peso di 10.000.000', [peso_2 => '10000000'], errore => qr/riga 2/],
    ['peso di -10.000.000', [peso_2 => '-10000000'], errore => qr/riga 2/],
    ['carrello vuoto', [n_articoli => 0], errore => qr/vuoto/],
    ['sotto il minimo', [n_articoli => 1, qt_1 => 1], errore => qr/minimo/],
    ['e-mail con intestazione iniettata', [email => "mario\@example.it\r\nBcc: spia\@example.com"], errore => qr/e-mail non e' valido/],
    ['e-mail senza dominio', [email => 'mario@'], errore => qr/e-mail non e' valido/],
    ['condizioni non accettate', [accetto => ''], errore => qr/condizioni/],
);
for my $c (@casi) {
    my ($nome, $campi, $tipo, $atteso, %extra) = @$c;
    my ($out, $posta) = esegui($ORDINE, corpo => ordine(@$campi));
    if ($tipo eq 'ok') {
        my $m = $extra{metodo} // 1;
        like($out, qr{^Status: 303 See Other\r\nLocation: http://127\.0\.0\.1:9/negozio/thankyou$m\.htm\?ordine=[0-9-]+&totale=\Q$atteso\E\r\n}m, "$nome: pagina di ringraziamento");
        (my $mostrato = $atteso) =~ s/\./,/;
        my @mail = split /----FINE----\n/, $posta;
        is(scalar @mail, 2, "$nome: due messaggi");
        like($mail[0] // '', qr/^To: ordini\@bottega\.it$/m, "$nome: ordine al negozio");
        like($mail[0] // '', qr/^From: ordini\@bottega\.it$/m, "$nome: ordine dall'indirizzo del negozio");
        like($mail[0] // '', qr/^Reply-To: mario\@example\.it$/m, "$nome: risposta al cliente");
        like($mail[1] // '', qr/^To: mario\@example\.it$/m, "$nome: conferma al cliente");
        like($mail[0] // '', qr/TOTALE ORDINE: \x{e2}\x{82}\x{ac} \Q$mostrato\E\n/, "$nome: totale ricalcolato");
        if ($extra{attenzione}) {
            like($mail[0] // '', $extra{attenzione}, "$nome: avviso al negozio");
        } else {
            unlike($mail[0] // '', qr/ATTENZIONE/, "$nome: nessun avviso");
        }
        like($mail[0] // '', qr/^ARGS: -oi -t$/m, "$nome: sendmail con -t");
    } else {
        like($out, qr/^Status: 400/, "$nome: rifiutato");
        (my $testo = decode('UTF-8', $out)) =~ s/&#39;/'/g;
        like($testo, $atteso, "$nome: messaggio");
        is($posta, '', "$nome: nessuna posta");
    }
}

# Without the price list (a site built without it) or with a damaged one,
# orders go through on the cart's values and the shop's mail says so.
for my $r ([undef, qr/ATTENZIONE: prezzi, aliquote IVA e pesi degli articoli NON sono stati verificati: il listino del negozio \(prezzi24E\.tsv\) non e' sul server/],
           ['rotto', qr/NON sono stati verificati: il listino del negozio \(prezzi24E\.tsv\) non e' leggibile/]) {
    my ($listino, $avviso) = @$r;
    my $nome = $listino ? 'listino illeggibile' : 'senza listino';
    my ($out, $posta) = esegui(prepara($listino ? 'rotto' : 'senza', \%v, $listino), corpo => ordine(iva_1 => '0', totale => '56.50'));
    like($out, qr{^Location: \S+totale=56\.50\r$}m, "$nome: ordine accettato con i valori del carrello");
    like($posta, $avviso, "$nome: il negozio sa che i prezzi non sono verificati");
}

# A list cut short on the server (an upload that broke off) is told apart
# from an article missing from a whole list: the order goes through on the
# cart's values and the mail says the list is incomplete.
{
    my $intero = "$dir/intero.tsv";
    scrivi_listino($intero, \@LISTINO);
    my $bytes = do { local $/; open(my $f, '<:raw', $intero) or die; <$f> };
    like($bytes, qr/\nfine\t4\n\z/, 'il listino termina con il numero degli articoli');
    (my $senza_fine = $bytes) =~ s/fine\t4\n\z//;
    my %tagli = ('senza la riga finale' => $senza_fine, 'tagliato a meta\'' => substr($bytes, 0, int(length($bytes) / 2)),
                 'tagliato dentro la riga finale' => substr($bytes, 0, length($bytes) - 2),
                 'riga finale con un altro numero' => $senza_fine . "fine\t3\n");
    my $k = 0;
    for my $nome (sort keys %tagli) {
        my $script = prepara('troncato' . ++$k, \%v, undef);
        open(my $f, '>:raw', "$dir/troncato$k/prezzi24E.tsv") or die;
        print $f $tagli{$nome};
        close $f;
        my ($out, $posta) = esegui($script, corpo => ordine(iva_1 => '0', totale => '56.50'));
        like($out, qr{^Location: \S+totale=56\.50\r$}m, "listino $nome: ordine accettato con i valori del carrello");
        like($posta, qr/NON sono stati verificati: il listino del negozio \(prezzi24E\.tsv\) sul server e' incompleto/,
             "listino $nome: il negozio sa che il listino e' incompleto");
        unlike($posta, qr/non presente nel listino/, "listino $nome: nessun articolo detto mancante");
    }
}

# A price or VAT rate of the list that a cart line could not carry is never
# charged: the order is refused, whatever the cart says.
{
    my @fuori = (
        { chiave => '31', codice => 'N', articolo => 'Prezzo negativo', prezzo => '-50000', aliquota => '22', peso => 0.1 },
        { chiave => '32', codice => 'I', articolo => 'IVA al 150', prezzo => '5.00', aliquota => '150', peso => 0.1 },
        { chiave => '33', codice => 'A', articolo => 'Oltre nove cifre', prezzo => '1000000000.00', aliquota => '22', peso => 0.1 },
        { chiave => '34', codice => 'V', articolo => 'Sconto eccessivo', prezzo => '5.00', aliquota => '22', peso => 0.1,
          varianti => [[{ testo => 'Omaggio', prezzo => '-10', peso => 0 }, { testo => 'Normale', prezzo => '0', peso => 0 }], [], []] },
        { chiave => '35', codice => 'L', articolo => 'Al limite', prezzo => '999999999.99', aliquota => '0', peso => 0.1 },
    );
    my $script = prepara('fuori_listino', \%v, [@LISTINO, @fuori]);
    for my $c (['prezzo negativo', 31, 'Prezzo negativo', '', qr/\x{ab}Prezzo negativo\x{bb} non puo' essere ordinato/],
               ['IVA del 150%', 32, 'IVA al 150', '', qr/\x{ab}IVA al 150\x{bb} non puo' essere ordinato/],
               ['prezzo oltre nove cifre', 33, 'Oltre nove cifre', '', qr/\x{ab}Oltre nove cifre\x{bb} non puo' essere ordinato/],
               ['variante che porta il prezzo sotto zero', 34, 'Sconto eccessivo', 'Omaggio',
                qr/\x{ab}Sconto eccessivo\x{bb} \(Omaggio\) non puo' essere ordinato/],
               ['la stessa variante che non lo porta sotto zero', 34, 'Sconto eccessivo', 'Normale', undef],
               ['prezzo al limite', 35, 'Al limite', '', undef]) {
        my ($nome, $chiave, $articolo, $variante, $atteso) = @$c;
        my ($out, $posta) = esegui($script, corpo => ordine(articolo_2 => $articolo, chiave_2 => $chiave, varianti_2 => $variante,
                                                            opzione_2_1 => $variante, opzione_2_2 => '', prezzo_2 => '1.00', peso_2 => '.1'));
        if ($atteso) {
            like($out, qr/^Status: 400/, "$nome: ordine rifiutato");
            (my $testo = decode('UTF-8', $out)) =~ s/&#39;/'/g;
            like($testo, $atteso, "$nome: il cliente sa quale articolo");
            like($testo, qr/Contattare il negozio/, "$nome: e a chi rivolgersi");
            is($posta, '', "$nome: nessuna posta");
        } else {
            like($out, qr/^Status: 303/, "$nome: ordine accettato");
        }
    }
}

# A currency text holding quotes, as the build writes it into the script's
# tables (a JavaScript string with its escapes), stays before every amount.
{
    my %q = (valori(), java_valuta => qq{var valuta="\\"EUR\\" \\\\ ";\r\nvar sepmigl=".";\r\nvar sepdec=",";\r\nvar PutDec= 1;\r\n});
    my ($out, $posta) = esegui(prepara('valuta', \%q, \@LISTINO), corpo => ordine());
    like($out, qr/^Status: 303/, 'valuta con virgolette: ordine accettato');
    like($posta, qr/^TOTALE ORDINE: "EUR" \\ 60,68$/m, 'valuta con virgolette: il totale con la sua valuta');
    like($posta, qr/^Totale merce: "EUR" \\ 39,90$/m, 'valuta con virgolette: la merce con la sua valuta');
}

# The customer's address is checked whole, up to 254 characters (64 before
# the "@", 63 in each name of the domain), and the mails go to it as typed.
{
    my $dominio = sub { join('.', map { 'd' x $_ } @_) . '.it' };
    for my $r (['di 125 caratteri', ('m' x 60) . '@' . $dominio->(61), 1],
               ['di 254 caratteri', ('m' x 64) . '@' . $dominio->(63, 63, 58), 1],
               ['di 255 caratteri', ('m' x 64) . '@' . $dominio->(63, 63, 59), 0],
               ['con 65 caratteri prima della chiocciola', ('m' x 65) . '@' . $dominio->(10), 0],
               ['con un nome di dominio di 64 caratteri', 'mario@' . $dominio->(64), 0]) {
        my ($nome, $indirizzo, $valido) = @$r;
        my ($out, $posta) = esegui($ORDINE, corpo => ordine(email => $indirizzo));
        if ($valido) {
            like($out, qr/^Status: 303/, "e-mail $nome: ordine accettato");
            like($posta, qr/^Reply-To: \Q$indirizzo\E\n.*^To: \Q$indirizzo\E\n/ms, "e-mail $nome: risposta e conferma all'indirizzo intero");
        } else {
            like($out, qr/^Status: 400.*e-mail non e(&#39;|')/s, "e-mail $nome: rifiutato");
            is($posta, '', "e-mail $nome: nessuna posta");
        }
    }
}

# Controls of text direction and other control characters from the customer
# never reach the mails; names and notes keep their letters.
{
    my @bidi = map { chr } 0x202a .. 0x202e, 0x2066 .. 0x2069, 0x200e, 0x200f, 0x61c;
    my $sporco = sub { my $t = shift; join('', map { $_ . $bidi[rand @bidi] } split //, $t) . "\x{1b}[31m\x{85}\x{7f}" };
    my ($out, $posta) = esegui($ORDINE, corpo => ordine(nome => $sporco->('Mario'), cognome => "Ros\x{202e}sol",
        indirizzo => $sporco->('Via Roma 1'), note => "Prima riga\x{2067}\r\nseconda\x{2028}terza\x{0}",
        articolo_1 => "CAF-001 Miscela\x{202e} Bar", paese => "Ita\x{2066}lia"));
    like($out, qr/^Status: 303/, 'controlli: ordine accettato');
    my $testo = decode('UTF-8', $posta);
    unlike($testo, qr/[\x{202a}-\x{202e}\x{2066}-\x{2069}\x{200e}\x{200f}\x{61c}\x{0}-\x{8}\x{b}-\x{1f}\x{7f}-\x{9f}\x{2028}]/,
           'controlli: nessun controllo nelle due mail');
    like($testo, qr/^Mario \[31m Rossol$/m, 'controlli: il nome senza i controlli');
    like($testo, qr/^Via Roma 1 \[31m$/m, "controlli: l'indirizzo, con uno spazio al posto del codice di controllo");
    like($testo, qr/^Prima riga\nseconda\nterza $/m, 'controlli: le note a capo come scritte');
    unlike($testo, qr/ATTENZIONE/, 'controlli: articolo e paese riconosciuti');
}

# The customer's confirmation carries the shop's own texts, the customer's
# name and the start of the note, nothing else the form brought.
{
    my $spam = 'Offerta imperdibile su http://spam.example';
    my ($out, $posta) = esegui($ORDINE, corpo => ordine(
        n_articoli => 3, articolo_3 => $spam, varianti_3 => $spam, opzione_3_1 => '', opzione_3_2 => '', opzione_3_3 => '',
        prezzo_3 => '1.00', iva_3 => '0', qt_3 => 1, peso_3 => '0', azienda => $spam, indirizzo => $spam, citta => $spam,
        note => 'Consegnare al portiere. ' . ('x' x 500) . $spam, totale => '61.68'));
    my ($negozio, $conferma) = split /----FINE----\n/, $posta;
    like($out, qr/^Status: 303/m, 'conferma: ordine accettato');
    like($negozio // '', qr/\Q$spam\E \[NON VERIFICATO\].*^\Q$spam\E$/ms, 'conferma: il negozio riceve tutto il modulo');
    like($negozio // '', qr/^- Arabica "Etiopia" \[codice ARA-1\] \(500 g\)$/m, 'conferma: al negozio anche il codice dell\'articolo');
    like($conferma // '', qr/^Subject: =\?UTF-8\?/m, 'conferma: spedita');
    unlike($conferma // '', qr/spam\.example/, 'conferma: nessun testo libero del cliente oltre nome e note brevi');
    like($conferma // '', qr/^Gentile Mario Rossi,$/m, 'conferma: il nome del cliente');
    like($conferma // '', qr/^- CAF-001 Miscela Bar \(In grani\)\n.*^- Arabica "Etiopia" \(500 g\)\n.*^- Articolo \(descrizione non disponibile\)$/ms,
         'conferma: i nomi degli articoli dal listino');
    like($conferma // '', qr/^Le sue note: Consegnare al portiere\. x{176}$/m, 'conferma: le note tagliate a 200 caratteri');
    like($conferma // '', qr/^Spedizione in: Italia\n.*^Grazie!$/ms, 'conferma: paese e firma del negozio');
}

# A mail program that exits without reading a large order: no death by
# SIGPIPE, a page that says what happened, the order in the server's log.
{
    open(my $g, '>', "$dir/sendmail_muto") or die;
    print $g "#!/bin/sh\necho chiamato >> '$mailfile'\nexit 75\n";
    close $g;
    chmod 0755, "$dir/sendmail_muto";
    my %g = (valori(), perl_sendmail => "$dir/sendmail_muto");
    my $script = prepara('muto', \%g, \@LISTINO);
    my @righe = map { ("articolo_$_" => "Articolo $_ " . ('a' x 230), "varianti_$_" => 'v' x 250, "prezzo_$_" => '1.00',
                       "iva_$_" => '.22', "qt_$_" => 1, "peso_$_" => '0') } 1 .. 200;
    my $corpo = ordine(@righe, n_articoli => 200, note => 'Citofono Rossi ' . ('n' x 1900), totale => '212.00');
    ok(length($corpo) > 112_000, 'ordine grande: ' . length($corpo) . ' byte');
    my ($out, $posta, $log) = esegui($script, corpo => $corpo);
    like($out, qr/^Status: 503 Service Unavailable\r$/m, 'sendmail che non legge: pagina di errore dello script');
    like(decode('UTF-8', $out), qr/Non e&#39;.*spedire l&#39;ordine n\. [0-9-]+ al negozio/, 'sendmail che non legge: il numero dell\'ordine nella pagina');
    is($posta, "chiamato\n", 'sendmail che non legge: nessuna conferma al cliente');
    like($log, qr/^vtorder24E: ordine n\. [0-9-]+ non spedito al negozio: il programma di posta e' uscito con il codice 75$/m, 'sendmail che non legge: il motivo nel registro');
    like($log, qr/^vtorder24E: \| - Articolo 200 a{230} \[NON VERIFICATO\] \(v{250}\)$/m, 'sendmail che non legge: l\'ultima riga dell\'ordine nel registro');
    like($log, qr/^vtorder24E: \| Citofono Rossi n{1900}$/m, 'sendmail che non legge: le note nel registro');
}

# A shop without its order address (a new shop's field starts empty) refuses
# every order, telling the customer that the shop cannot take orders now,
# not that a mail server broke down; the reason goes to the server's log.
for my $r (['vuoto', ''], ['di soli spazi', '  ']) {
    my ($nome, $indirizzo) = @$r;
    my %s = (valori(), email_ordini => $indirizzo);
    my $k = $nome =~ s/\W/_/gr;
    my ($out, $posta, $log) = esegui(prepara("senza_indirizzo_$k", \%s, \@LISTINO), corpo => ordine());
    like($out, qr/^Status: 503 Service Unavailable\r$/m, "indirizzo del negozio $nome: ordine rifiutato");
    (my $testo = decode('UTF-8', $out)) =~ s/&#39;/'/g;
    like($testo, qr/Il negozio non puo' ricevere ordini in questo momento/, "indirizzo del negozio $nome: il cliente sa perche'");
    unlike($testo, qr/posta|guasto/, "indirizzo del negozio $nome: nessun guasto del server di posta");
    is($posta, '', "indirizzo del negozio $nome: nessuna posta");
    like($log, qr/^vtorder24E: ordine rifiutato: manca l'indirizzo e-mail per la ricezione degli ordini$/m,
         "indirizzo del negozio $nome: il motivo nel registro");
}

# Line breaks in single-line fields never reach a header; non-ASCII subjects are encoded.
{
    my ($out, $posta) = esegui($ORDINE, corpo => ordine(nome => "Mario\r\nBcc: spia\@example.com", cognome => "Rossi\nTo: x\@y.z"));
    like($out, qr/^Status: 303/, 'a capo nel nome: ordine accettato');
    unlike($posta, qr/^(Bcc|To: x)/m, 'a capo nel nome: nessuna intestazione aggiunta');
    like($posta, qr/^Subject: =\?UTF-8\?/m, 'oggetto con lettere accentate codificato');
}

# Prices with VAT included: the mail says so instead of a VAT of zero.
{
    my %c = valori();
    $c{java_ivacompresa} = '1';
    my ($out, $posta) = esegui(prepara('ivacompresa', \%c, \@LISTINO), corpo => ordine(totale => '51.90'));
    like($posta, qr/^IVA: inclusa nei prezzi$/m, 'IVA compresa: detta inclusa');
    like($posta, qr/TOTALE ORDINE: \x{e2}\x{82}\x{ac} 51,90\n/, 'IVA compresa: totale senza IVA aggiunta');
}

# A mail the mail program refuses: the shop's order refused with the
# server's failure and no confirmation; a confirmation refused noted in the
# server's log, the order accepted.
for my $r (['ordini', qr/^Status: 503/, qr/^vtorder24E: ordine n\. [0-9-]+ non spedito al negozio: il programma di posta e' uscito con il codice 75$/m],
           ['mario', qr/^Status: 303/, qr/^vtorder24E: conferma dell'ordine n\. [0-9-]+ non spedita a mario\@example\.it: il programma di posta e' uscito con il codice 75$/m]) {
    my ($rifiutato, $stato, $registro) = @$r;
    open(my $g, '>', "$dir/sendmail_$rifiutato") or die;
    print $g "#!/bin/sh\nt=\$(cat)\necho \"\$t\" >> '$mailfile'; echo '----FINE----' >> '$mailfile'\n"
           . "printf '%s\\n' \"\$t\" | grep -q '^To: $rifiutato\@' && exit 75\nexit 0\n";
    close $g;
    chmod 0755, "$dir/sendmail_$rifiutato";
    my %g = (valori(), perl_sendmail => "$dir/sendmail_$rifiutato");
    my ($out, $posta, $log) = esegui(prepara("guasto_$rifiutato", \%g, \@LISTINO), corpo => ordine());
    like($out, $stato, "posta a $rifiutato rifiutata: esito");
    like($log, $registro, "posta a $rifiutato rifiutata: nel registro del server");
    unlike($posta, qr/^To: mario\@/m, 'posta del negozio non spedita: nessuna conferma al cliente') if $rifiutato eq 'ordini';
}

# Costs by weight: bands 2 kg and 5 kg, then 20. A weight equal to a band's
# limit stays in the band, however the decimals add up; a weight as a
# browser's arithmetic writes it is accepted. The same with the price list
# (the weight is the list's) and without it (the cart's).
my $caso_peso = 0;
for my $listino (1, 0) {
    for my $r (['.25', 4, 2, '4.00'], ['.25', 12, 2, '7.00'], ['.25', 30, 2, '20.00'],
               ['.1', 3, '.3', '4.00'], ['.1', 4, '.3', '7.00'], ['0.30000000000000004', 1, '.3', '4.00', 0.3],
               # a weight the cart never sends gets the list's band
               ['-9999999', 12, 2, ['7.00', '4.00'], 0.25]) {
        my ($w, $q, $primo, $spese, $peso_listino) = @$r;
        $spese = $spese->[$listino ? 0 : 1] if ref $spese;
        my %p = (valori(), java_tipopeso => '1',
                 java_importi_peso => join('', map { arr("imppeso$_", ($_ == 8 ? $primo : $_ == 9 ? 5 : 0)) . arr("impspp$_", ($_ == 8 ? '4.00' : $_ == 9 ? '7.00' : 0)) } 1 .. 9)
                     . arr('impspp10', '20.00'));
        my $voce = { chiave => '21', articolo => 'Sacco', prezzo => '10.00', aliquota => '0', peso => $peso_listino // $w + 0 };
        my $script = prepara('peso' . ++$caso_peso, \%p, $listino ? [$voce] : undef);
        my ($out, $posta) = esegui($script, corpo => ordine(n_articoli => 1, articolo_1 => 'Sacco', chiave_1 => '21', varianti_1 => '', opzione_1_1 => '',
                                                           prezzo_1 => '10.00', iva_1 => '0', qt_1 => $q, peso_1 => $w));
        (my $s = $spese) =~ s/\./,/;
        my $nome = "spese a peso, $q x $w kg, " . ($listino ? 'con' : 'senza') . ' listino';
        like($posta, qr/Spese di spedizione: \x{e2}\x{82}\x{ac} \Q$s\E\n/, "$nome: $spese");
        if ($listino && $w < 0) {
            like($posta, qr/riga 1 [^\n]*: nel carrello peso -9999999, listino 0\.25\./, "$nome: il peso diverso segnalato");
        } elsif ($listino) {
            unlike($posta, qr/non corrispondono al listino/, "$nome: nessuna differenza dal listino");
        }
    }
}

# Hostile settings cannot break the script.
{
    my %h = valori();
    $h{negozio} = qq{Bottega "L'\@rte" \$HOME \\n, @{[ '__VT_FINE_NEGOZIO' ]} del caffè\\};
    $h{email_ordini} = 'ordini@bottega.it';
    $h{firma} = qq{Grazie "\$x" \@y \\z\r\nEND\r\n__END__};
    unisci("$data/code/vtorder.pl", "$dir/ostile.pl", %h);
    like(`$PERL -c '$dir/ostile.pl' 2>&1`, qr/syntax OK/, 'impostazioni ostili: lo script si compila');
    my ($out, $posta) = esegui("$dir/ostile.pl", corpo => ordine());
    like($out, qr/^Status: 303/, 'impostazioni ostili: ordine accettato');
    like($posta, qr/Grazie "\$x" \@y \\z\nEND\n__END__/, 'impostazioni ostili: firma intatta');
}

# Settings that would end a here-document or a string of the script and
# carry code after it: each reaches the script as data and never runs. Every
# setting of each script gets, in turn, line breaks with here-document end
# markers ("__VT_FINE_..._Q7Z__", "__END__"), a line of code that would leave
# a mark, and quotes.
{
    my $segno = "$dir/segno";
    my @marcatori = map { "__VT_FINE_${_}_Q7Z__" } qw(NEGOZIO EMAIL FIRMA SENDMAIL URL PAESI PAGAMENTI TABELLE TIPOPESO MINIMO IVACOMPRESA CODICE MODO SEP);
    push @marcatori, '__VT_FINE_Q7Z__', '__END__';
    my $codice = "system(q{touch $segno}); print STDERR qq{ESE}.qq{GUITO};";
    my $ostile = join('', map { "x\r\n$_\r\n$codice\r\nmy \$z = <<'$_';\r\n" } @marcatori)
        . qq{'"\\\$\@ \x{e8}\r\n}. "');$codice;('" . '");' . "$codice;(\"";
    my %script = (
        'vtorder.pl' => [qw(negozio email_ordini firma perl_sendmail perl_shopURL paesi pagamento java_importi java_permessi
                            java_importi_peso java_valuta java_tipopeso java_minimo java_ivacompresa IDnegozio)],
        'vtsearch.pl' => [qw(IDnegozio java_ANDORsearch java_sepsearch)],
        'Banca Sella/s2scrypt.pl' => [qw(perl_sendmail email_ordini)],
        'Banca Sella/s2sotp.pl' => [qw(perl_sendmail email_ordini)],
        'Banca Sella/s2sotp.new' => [qw(perl_sendmail email_ordini)],
    );
    mkdir "$dir/ostili" or die;
    for my $modello (sort keys %script) {
        for my $campo (@{$script{$modello}}) {
            my %h = valori();
            $h{$campo} .= $ostile;
            my $nome = "$modello, $campo";
            my $uscita = "$dir/ostili/prova.pl";
            unlink $segno, $uscita;
            unisci("$data/code/$modello", $uscita, %h);
            like(`$PERL -c '$uscita' 2>&1`, qr/syntax OK/, "$nome ostile: lo script si compila");
            my ($out, undef, $log) = $modello eq 'vtsearch.pl' ? esegui($uscita, metodo => 'GET', query => 'parole=arabica')
                                  : $modello =~ /^Banca/ ? esegui($uscita, metodo => 'GET', query => 'a=GESPAY00123&b=ABC')
                                  : esegui($uscita, corpo => ordine());
            ok(!-e $segno && $log !~ /ESEGUITO/, "$nome ostile: nessun codice eseguito");
            like($out, qr/^(Status: [0-9]{3} |Content-Type: )/, "$nome ostile: una risposta dello script");
        }
    }
    # The values reach the script whole: quotes, dollars, at signs,
    # backslashes, line breaks and accented letters.
    my %h = (valori(), negozio => qq{Bottega "L'\@rte" \$HOME \\n del caff\x{e8}}, firma => "Riga 1\r\n__VT_FINE_FIRMA_Q7Z__\r\n\$x \@y 'z' \"w\"");
    unisci("$data/code/vtorder.pl", "$dir/ostili/intero.pl", %h);
    my ($out, $posta) = esegui("$dir/ostili/intero.pl", corpo => ordine());
    like($out, qr/^Status: 303/, 'valori interi: ordine accettato');
    my ($oggetto) = $posta =~ /^Subject: (.*(?:\n[ \t].*)*)/m;
    like(decode('MIME-Header', $oggetto // ''), qr/^Ordine n\. [0-9-]+ - Bottega "L'\@rte" \$HOME \\n del caff\x{e8}$/, 'valori interi: il nome del negozio');
    like($posta, qr/\nRiga 1\n__VT_FINE_FIRMA_Q7Z__\n\$x \@y 'z' "w"\n/, 'valori interi: la firma');
    # A line break in the shop's address never adds a header to the answer.
    my %u = (valori(), perl_shopURL => "http://127.0.0.1:9/negozio\r\nSet-Cookie: rubato=1\r\n\r\n<script>alert(1)</script>");
    unisci("$data/code/vtorder.pl", "$dir/ostili/url.pl", %u);
    ($out) = esegui("$dir/ostili/url.pl", corpo => ordine());
    like($out, qr{^Status: 303 See Other\r\nLocation: http://127\.0\.0\.1:9/negozio\S*/thankyou1\.htm\?ordine=[0-9-]+&totale=60\.68\r\nContent-Type: }, 'a capo nell\'indirizzo: una sola intestazione Location');
    unlike($out, qr/^Set-Cookie/m, 'a capo nell\'indirizzo: nessuna intestazione aggiunta');
}

# The payment systems' scripts, merged as a build merges them, compile.
{
    my %g = valori();
    for my $f (glob("'$data/code/Banca Sella/'*.pl"), glob("'$data/code/Banca Sella/'*.new")) {
        (my $nome = $f) =~ s{.*/}{};
        unisci($f, "$dir/gateway.pl", %g);
        like(`$PERL -c '$dir/gateway.pl' 2>&1`, qr/syntax OK/, "$nome si compila con i soli moduli di base");
    }
}

# The OTP scripts with hostile password-file names (the dialog refuses only
# "/" and backslashes), filled as the bank's settings dialog fills them (the
# name in place of "#pwd") and merged as a
# build merges them: they compile, read the name as text, and take and check
# the passwords of a pair of that name.
{
    my @nomi = (q{a'b"c$d@e}, q{'; system('touch violato'); $x @y '}, '__VT_FINE_Q7Z__', q{${ die 'x' } @{[ exit ]} $0 %ENV});
    for my $i (0 .. $#nomi) {
        my $nome = $nomi[$i];
        my $otp = "$dir/otp$i";
        mkdir $otp or die;
        for my $s ('gestpayotp', 's2sotp') {
            my $t = do { local $/; open(my $f, '<:raw', "$data/code/Banca Sella/$s.new") or die; <$f> };
            $t =~ s/#pwd/$nome/ or die "#pwd non trovato in $s.new\n";
            open(my $f, '>:raw', "$otp/$s.tmp") or die;
            print $f $t;
            close $f;
            unisci("$otp/$s.tmp", "$otp/$s.pl", valori());
            like(`$PERL -c '$otp/$s.pl' 2>&1`, qr/syntax OK/, "OTP $s con nome ostile $i: si compila");
        }
        open(my $ric, '>:raw', "$otp/$nome.ric") or die;
        print $ric "PRIMA1\r\nSECONDA2\r\n";
        close $ric;
        open(my $ris, '>:raw', "$otp/$nome.ris") or die;
        print $ris "RISP1\nRISP2\n";
        close $ris;
        my ($out) = esegui("$otp/gestpayotp.pl", corpo => 'esercente=GESPAY1&valuta=242&importo=12.50&ordine=A-1');
        like($out, qr/^Status: 303.*\*P1\*PAY1_OTP=PRIMA1\r$/ms, "OTP con nome ostile $i: la prima password alla banca");
        is(do { local $/; open(my $f, '<:raw', "$otp/$nome.ric") or die; <$f> }, "SECONDA2\n",
           "OTP con nome ostile $i: la password usata tolta dal file");
        esegui("$otp/s2sotp.pl", metodo => 'GET', query => 'a=GESPAY1&b=PAY1_OTP=RISP2*P1*PAY1_TRANSACTIONRESULT=OK');
        is(do { local $/; open(my $f, '<:raw', "$otp/$nome.ris") or die; <$f> }, "RISP1\n",
           "OTP con nome ostile $i: la risposta della banca controllata e tolta");
    }
    ok(!-e 'violato', 'OTP: nessun nome ostile eseguito come codice');
}

# The bank's result in Crypt mode, decrypted by a stand-in of the bank's
# component: the shop's mail carries order, amount paid and result, since the
# amount paid comes from the customer's page.
{
    open(my $c, '>', "$dir/gestpaycrypt") or die;
    print $c "#!/bin/sh\nif [ \"\$1\" = encrypt ]; then echo 'AB+CD/EF=='; exit 0; fi\n"
           . "printf 'PAY1_TRANSACTIONRESULT=OK\\nPAY1_SHOPTRANSACTIONID=20261206-1\\nPAY1_AMOUNT=0.01\\n'\n";
    close $c;
    chmod 0755, "$dir/gestpaycrypt";
    unisci("$data/code/Banca Sella/s2scrypt.pl", "$dir/s2scrypt.pl", valori());
    my $t = do { local $/; open(my $f, '<:raw', "$dir/s2scrypt.pl") or die; <$f> };
    $t =~ s{'/usr/local/gestpay/gestpaycrypt'}{'$dir/gestpaycrypt'} or die;
    open(my $f, '>:raw', "$dir/s2scrypt.pl") or die;
    print $f $t;
    close $f;
    my (undef, $posta) = esegui("$dir/s2scrypt.pl", metodo => 'GET', query => 'a=GESPAY00123&b=ABCDEF');
    like($posta, qr/^Subject: Pagamento ordine n\. 20261206-1: AUTORIZZATO$/m, 'esito Crypt: oggetto');
    like($posta, qr/^Importo: 0\.01$/m, "esito Crypt: l'importo pagato nella posta");

    # The payment: the encrypted text reaches the bank's address with "+",
    # "/" and "=" encoded, since a "+" in a query reads as a blank.
    unisci("$data/code/Banca Sella/gestpaycrypt.pl", "$dir/gestpaycrypt.pl", valori());
    $t = do { local $/; open(my $g, '<:raw', "$dir/gestpaycrypt.pl") or die; <$g> };
    $t =~ s{'/usr/local/gestpay/gestpaycrypt'}{'$dir/gestpaycrypt'} or die;
    open($f, '>:raw', "$dir/gestpaycrypt.pl") or die;
    print $f $t;
    close $f;
    my ($out) = esegui("$dir/gestpaycrypt.pl", corpo => 'esercente=GESPAY00123&valuta=242&importo=63.68&ordine=20261206-1');
    like($out, qr{^Location: https://\S+\?a=GESPAY00123&b=AB%2BCD%2FEF%3D%3D\r$}m, 'pagamento Crypt: testo cifrato codificato nell\'indirizzo');
}

# ---------------------------------------------------------------- ricerca
open(my $csv, '>:raw', "$dir/search24E.csv") or die;
print $csv "pagina,codice,titolo,sottotitolo,immagine,ricerca\r\n";
print $csv qq{http://127.0.0.1:9/negozio/caffe.htm#1,CAF-001,<b>Miscela</b> Bar,"Grani, 80% arabica",}
         . qq{"<img border=""0"" src=""http://127.0.0.1:9/negozio/caf_p.jpg"">",#miscela##bar##grani##80##arabica#\r\n};
print $csv qq{http://127.0.0.1:9/negozio/caffe.htm#2,"C""2,\$arg3",Arabica "Etiopia" \$arg1,"due\r\nrighe",,#arabica##etiopia#\r\n};
print $csv qq{http://127.0.0.1:9/negozio/te.htm#1,TE-1,Tè verde,,,#tè##verde##sencha#\r\n};
print $csv qq{javascript:alert(1),X,Trappola,,,#trappola#\r\n};
close $csv;
open(my $res, '>:raw', "$dir/results24E.htm") or die;
print $res qq{<html><body><p><!--vt:esito--></p>\r\n<!--vt:inizio--><div class="r"><a href="\$arg1"><i>\$arg5</i><s>\$arg2</s><u>\$arg3</u></a><q>\$arg4</q></div>\r\n<!--vt:fine--></body></html>};
close $res;

my @ricerche = (
    # impostazioni, parole, titoli trovati
    [['all', 'intera'], 'arabica', ['<b>Miscela</b> Bar', 'Arabica "Etiopia" $arg1']],
    [['all', 'intera'], 'Arabica MISCELA', ['<b>Miscela</b> Bar']],
    [['any', 'intera'], 'etiopia verde', ['Arabica "Etiopia" $arg1', 'Tè verde']],
    [['all', 'intera'], 'arab', []],
    [['all', 'parziale'], 'arab', ['<b>Miscela</b> Bar', 'Arabica "Etiopia" $arg1']],
    [['all', 'intera'], 'tè', ['Tè verde']],
    [['all', 'intera'], '80%', ['<b>Miscela</b> Bar']],
);
for my $r (@ricerche) {
    my ($imp, $parole, $titoli) = @$r;
    my %s = valori();
    $s{java_ANDORsearch} = $imp->[0];
    $s{java_sepsearch} = $imp->[1] eq 'intera' ? 'var sleft = "#"; var sright = "#";' : 'var sleft = ",#.*"; var sright = "";';
    unisci("$data/code/vtsearch.pl", "$dir/cerca.pl", %s);
    my ($out) = esegui("$dir/cerca.pl", metodo => 'GET', query => codifica(parole => $parole));
    $out = decode('UTF-8', $out);
    my @trovati = $out =~ m{<u>(.*?)</u>}gs;
    is_deeply(\@trovati, $titoli, "ricerca @$imp di \"$parole\"");
}
{
    my %s = valori();
    unisci("$data/code/vtsearch.pl", "$dir/cerca.pl", %s);
    my ($out) = esegui("$dir/cerca.pl", metodo => 'GET', query => 'parole=arabica');
    like($out, qr{<a href="http://127\.0\.0\.1:9/negozio/caffe\.htm\#1"><i><img border="0" src="http://127\.0\.0\.1:9/negozio/caf_p\.jpg"></i><s>CAF-001</s><u><b>Miscela</b> Bar</u></a><q>Grani, 80% arabica</q></div>},
         'riga con campi tra virgolette: foto, codice, titolo HTML, sottotitolo con virgola');
    like($out, qr{<s>C"2,\$arg3</s><u>Arabica "Etiopia" \$arg1</u></a><q>due\r\nrighe</q>}, 'un testo con $arg non e\' sostituito di nuovo; a capo nel campo');
    like($out, qr/Trovati 2 articoli per &laquo;arabica&raquo;/, 'esito della ricerca');
    ($out) = esegui("$dir/cerca.pl", metodo => 'GET', query => 'parole=trappola');
    like($out, qr{<a href="">}, 'un indirizzo che non e\' http non arriva alla pagina');
    ($out) = esegui("$dir/cerca.pl", metodo => 'GET', query => codifica(parole => '<script>alert(1)</script> "x"'));
    unlike($out, qr/<script>alert/, 'le parole cercate sono mostrate come testo');
    ($out) = esegui("$dir/cerca.pl", metodo => 'GET', query => 'parole=');
    like($out, qr/Scrivere una o pi/, 'ricerca vuota');
}

# A large search data file (about 2 MB, 5000 articles with quoted fields
# over two lines) is read in well under a second; a reading that grew with
# the square of the file's length took minutes.
{
    mkdir "$dir/grande" or die;
    open(my $g, '>:raw', "$dir/grande/search24E.csv") or die;
    print $g "pagina,codice,titolo,sottotitolo,immagine,ricerca\r\n";
    for my $i (1 .. 5000) {
        print $g encode('UTF-8', qq{http://127.0.0.1:9/negozio/p$i.htm#1,A-$i,Articolo $i,"Caffè ""$i"", prima riga\r\nseconda riga",}
                              . qq{"<img border=""0"" src=""http://127.0.0.1:9/negozio/a$i.jpg"">",#articolo##n$i##caffè##miscela##tostata##grani##arabica##robusta#\r\n});
    }
    close $g;
    open(my $r, '>:raw', "$dir/grande/results24E.htm") or die;
    print $r qq{<p><!--vt:esito--></p><!--vt:inizio--><u>\$arg3</u><q>\$arg4</q><!--vt:fine-->};
    close $r;
    unisci("$data/code/vtsearch.pl", "$dir/grande/cerca.pl", valori());
    my $inizio = time;
    my $out = `QUERY_STRING=parole=n4999 REQUEST_METHOD=GET timeout 60 $PERL '$dir/grande/cerca.pl'`;
    ok(time - $inizio <= 5, 'file dei dati grande: letto in pochi secondi (' . (time - $inizio) . ' s)');
    like(decode('UTF-8', $out), qr{^<p>Trovato 1 articolo[^<]*</p><u>Articolo 4999</u><q>Caffè "4999", prima riga\r\nseconda riga</q>\z}m,
         'file dei dati grande: la riga giusta, con i campi tra virgolette interi');
}

done_testing();
