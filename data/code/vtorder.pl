#!<<1-perl_path>>
# Vetrasto - script d'ordine del negozio.
# Riceve il modulo d'ordine, lo controlla (nulla di quanto arriva dal browser
# e' preso per buono: righe, paese e modalita' sono controllati e i totali
# ricalcolati qui con le tabelle di spedizione e IVA del negozio; prezzo,
# aliquota IVA e peso di ogni articolo e delle sue varianti vengono dal
# listino che il programma scrive accanto a questo script, prezzi<codice>.tsv,
# e ogni differenza dal carrello e' segnalata al negozio), spedisce l'ordine
# al negozio e al cliente un riepilogo scritto dal negozio con il programma
# di posta del server, e porta il cliente alla pagina di ringraziamento del
# metodo di pagamento scelto. Usa solo i moduli di base di Perl.
use strict;
use warnings;
use Encode qw(decode encode);
use POSIX qw(strftime);
use File::Basename qw(dirname);
use MIME::Base64 qw(decode_base64);

# ---- impostazioni del negozio, scritte dal programma ----
# Ogni valore arriva come testo base64 (lettere, cifre, "+", "/" e "=") tra
# apici: nessun carattere del valore puo' chiudere la stringa, e lo script lo
# legge come dato, mai come codice.
sub valore { my $t = decode('UTF-8', decode_base64(shift // '')); $t =~ s/\r//g; return $t; }

my $NEGOZIO = valore('<<1-negozio>>');
my $EMAIL_NEGOZIO = valore('<<1-email_ordini>>');
my $FIRMA = valore('<<1-firma>>');
my $SENDMAIL = valore('<<1-perl_sendmail>>');
my $URL_NEGOZIO = valore('<<1-perl_shopURL>>');
my $PAESI = valore('<<1-paesi>>');
my $PAGAMENTI = valore('<<1-pagamento>>');
my $TABELLE = join("\n", map { valore($_) } '<<1-java_importi>>', '<<1-java_permessi>>', '<<1-java_importi_peso>>',
                   '<<1-java_valuta>>');
my $TIPOPESO = valore('<<1-java_tipopeso>>');
my $MINIMO = valore('<<1-java_minimo>>');
my $IVACOMPRESA = valore('<<1-java_ivacompresa>>');
my $CODICE = valore('<<1-IDnegozio>>');

# L'indirizzo del negozio finisce in un'intestazione (Location) e nelle
# pagine: su una riga, senza spazi ne' caratteri di controllo, che vanno
# codificati come in ogni indirizzo.
$URL_NEGOZIO = encode('UTF-8', $URL_NEGOZIO) =~ s/([^\x21-\x7e]|["<>\\^`{|}])/sprintf('%%%02X', ord($1))/ger;

$CODICE =~ s/[^0-9A-Za-z]//g;
# Il programma accetta un solo indirizzo, che qui perde gli spazi intorno.
$EMAIL_NEGOZIO =~ s/^\s+|\s+\z//g;
my $LISTINO_FILE = dirname(__FILE__) . "/prezzi$CODICE.tsv";
binmode(STDOUT, ':raw');

# ---- tabelle ----

my %ARRAY;     # nome -> [16 voci]
my %VAR;       # nome -> testo
while ($TABELLE =~ /(\w+)\s*=\s*new\s+Array\(([^)]*)\)/g) {
    my ($n, $v) = ($1, $2);
    $ARRAY{$n} = [map { s/\s//gr } split(/,/, $v)];
}
# Una stringa JavaScript, con i suoi caratteri di escape (\" \\ \' \r \n
# \uXXXX ...): i testi del negozio, come la valuta, possono contenere
# virgolette e barre.
sub stringa_js {
    my $s = shift;
    my %esc = (n => "\n", r => "\r", t => "\t", b => "\b", f => "\f", v => "\x0b", 0 => "\0");
    $s = substr($s, 1, -1);
    $s =~ s{\\(?:u([0-9A-Fa-f]{4})|x([0-9A-Fa-f]{2})|(\r\n|[\r\n\x{2028}\x{2029}])|(.))}
           {defined $1 ? chr(hex $1) : defined $2 ? chr(hex $2) : defined $3 ? '' : $esc{$4} // $4}gse;
    return $s;
}
while ($TABELLE =~ /var\s+(\w+)\s*=\s*("(?:[^"\\\r\n]|\\.)*"|'(?:[^'\\\r\n]|\\.)*'|-?[0-9]+)\s*;/gs) {
    my ($n, $v) = ($1, $2);
    $VAR{$n} = $v =~ /^["']/ ? stringa_js($v) : $v;
}
my $SPOK = $VAR{SpOk} // '';
my $IVAOK = $VAR{IvaOk} // '';
my $VALUTA = $VAR{valuta} // '';
my $SEPMIGL = $VAR{sepmigl} // '.';
my $SEPDEC = $VAR{sepdec} // ',';
my $DECIMALI = !defined $VAR{PutDec} || $VAR{PutDec} ne '0';

# Testi confrontati come li vede il cliente: entita' sciolte, spazi ridotti a
# uno. I nomi di paesi e modalita' di pagamento arrivano dal programma gia'
# come il browser li mostra (solo &amp; &lt; &gt; &quot; restano entita').
my %ENTITA = (nbsp => ' ', amp => '&', lt => '<', gt => '>', quot => '"', apos => "'",
    agrave => "\x{e0}", aacute => "\x{e1}", egrave => "\x{e8}", eacute => "\x{e9}", igrave => "\x{ec}",
    iacute => "\x{ed}", ograve => "\x{f2}", oacute => "\x{f3}", ugrave => "\x{f9}", uacute => "\x{fa}",
    Agrave => "\x{c0}", Egrave => "\x{c8}", Eacute => "\x{c9}", Igrave => "\x{cc}", Ograve => "\x{d2}",
    Ugrave => "\x{d9}", ccedil => "\x{e7}", ntilde => "\x{f1}", auml => "\x{e4}", ouml => "\x{f6}",
    uuml => "\x{fc}", Auml => "\x{c4}", Ouml => "\x{d6}", Uuml => "\x{dc}", szlig => "\x{df}");
sub carattere { my $n = shift; return $n > 0 && $n < 0x110000 ? chr($n) : ''; }
sub spazi { my $t = shift // ''; $t =~ s/[\s\x{a0}]+/ /g; $t =~ s/^ | $//g; return $t; }
# I controlli di direzione del testo, che fanno leggere un testo diverso da
# quello scritto, non arrivano alla posta ne' ai confronti; gli altri
# caratteri di controllo vi arrivano come spazi.
sub senza_controlli {
    my $t = shift // '';
    $t =~ s/[\x{61c}\x{200e}\x{200f}\x{202a}-\x{202e}\x{2066}-\x{2069}]//g;
    $t =~ s/[\x00-\x1f\x7f-\x9f\x{2028}\x{2029}]+/ /g;
    return $t;
}
sub chiave {
    my $t = shift // '';
    $t =~ s{&(?:#([0-9]{1,7})|#[xX]([0-9A-Fa-f]{1,6})|([A-Za-z]{2,8}));}
           {defined $1 ? carattere($1) : defined $2 ? carattere(hex $2) : $ENTITA{$3} // "&$3;"}ge;
    return spazi(senza_controlli($t));
}
sub testo_html { my $t = shift; $t =~ s/<[^>]*>//g; return chiave($t); }
# Il testo di una variante: il carrello toglie il " *" della variante preselezionata.
sub chiave_variante { my $t = chiave(shift); $t =~ s/ \*\z//; return $t; }

# Paesi: nome -> zona, dall'elenco delle pagine.
my %ZONA;
while ($PAESI =~ /<option\b[^>]*?value\s*=\s*"([0-9])"[^>]*>(.*?)<\/option>/gis) {
    $ZONA{testo_html($2)} = $1;
}
# Metodi di pagamento attivi, nell'ordine dell'elenco (1, 2, ...).
my @METODI;
while ($PAGAMENTI =~ /<option\b[^>]*>(.*?)<\/option>/gis) {
    push @METODI, testo_html($1);
}

# ---- importi in centesimi interi ----
# Ogni numero e' letto in cifre ASCII ([0-9]): nel testo decodificato "\d"
# accetterebbe anche le cifre di altre scritture, che nei conti valgono zero.

sub cent {
    my $s = shift // '';
    $s =~ s/\s//g;
    return undef unless $s =~ /^(-?)([0-9]*)(?:\.([0-9]*))?$/ && ($2 ne '' || ($3 // '') ne '');
    my ($segno, $int, $dec) = ($1, $2 || 0, ($3 // '') . '000');
    my $c = $int * 100 + substr($dec, 0, 2) + (substr($dec, 2, 1) >= 5 ? 1 : 0);
    return $segno ? -$c : $c;
}

# Pesi e aliquote in milionesimi interi, cosi' che un peso pari al limite di
# una fascia resti nella fascia (0.1 x 3 in virgola mobile supera 0.3).
sub micro {
    my $s = shift // '';
    $s =~ s/\s//g;
    return undef unless $s =~ /^-?(?:[0-9]+\.?[0-9]*|\.[0-9]+)(?:[eE][-+]?[0-9]{1,2})?$/;
    my $x = $s + 0;
    return $x < 0 ? -int(-$x * 1_000_000 + 0.5) : int($x * 1_000_000 + 0.5);
}

sub voce {
    my ($nome, $e) = @_;
    my $a = $ARRAY{$nome} or return 0;
    return $a->[$e] // 0;
}

sub formatta {
    my $c = shift;
    my $neg = $c < 0;
    $c = -$c if $neg;
    my $int = $DECIMALI ? int($c / 100) : int(($c + 50) / 100);
    my $s = "$int";
    1 while $s =~ s/^([0-9]+)([0-9]{3})/$1\x{1}$2/;
    $s =~ s/\x{1}/$SEPMIGL/g;
    $s .= $SEPDEC . sprintf('%02d', $c % 100) if $DECIMALI;
    return $VALUTA . ($neg ? '-' : '') . $s;
}

sub decimale {
    my $c = shift;
    my $neg = $c < 0;
    $c = -$c if $neg;
    return ($neg ? '-' : '') . int($c / 100) . '.' . sprintf('%02d', $c % 100);
}

# Milionesimi in lettere: 250000 -> "0.25".
sub milionesimi {
    my $m = shift;
    my $neg = $m < 0;
    $m = -$m if $neg;
    my $f = sprintf('%06d', $m % 1_000_000);
    $f =~ s/0+\z//;
    return ($neg ? '-' : '') . int($m / 1_000_000) . ($f ne '' ? ".$f" : '');
}
sub percento { my $m = shift; return milionesimi($m * 100) . '%'; }

sub spedizione {
    my ($zona, $metodo, $merce, $peso) = @_;
    my $e = ($metodo - 1) * 4 + ($zona - 1);
    if ($TIPOPESO eq '1') {
        for my $b (1 .. 9) {
            my $limite = micro(voce("imppeso$b", $e)) // 0;
            return cent(voce("impspp$b", $e)) // 0 if $limite > 0 && $peso <= $limite;
        }
        return cent(voce('impspp10', $e)) // 0;
    }
    return cent(voce('impspese1', $e)) // 0 if $merce <= (cent(voce('impord1', $e)) // 0);
    return cent(voce('impspese2', $e)) // 0 if $merce <= (cent(voce('impord2', $e)) // 0);
    return cent(voce('impspese3', $e)) // 0;
}

# ---- listino del negozio ----

# Il file scritto dal programma: una riga "A" per articolo (numero
# dell'articolo nel catalogo, codice, nome come lo manda il carrello, prezzo,
# aliquota IVA, peso) seguita dalle righe "V" delle sue varianti (menu 1-3,
# testo, prezzo, peso), campi separati da tabulazioni, e per ultima la riga
# "fine" con il numero degli articoli. Restituisce, per i soli numeri e nomi
# richiesti, numero -> [articolo] e nome -> [articoli], o undef e il motivo
# quando il file manca, non e' leggibile o e' troncato (un trasferimento
# interrotto): un file troncato non dice quali articoli mancano.
sub leggi_listino {
    my ($numeri, $nomi) = @_;
    my %numero_cercato = map { $_ => 1 } @$numeri;
    my %nome_cercato = map { $_ => 1 } @$nomi;
    open(my $fh, '<:raw', $LISTINO_FILE) or return (undef, undef, 'manca');
    my $testa = <$fh> // '';
    $testa =~ s/\r?\n\z//;
    return (undef, undef, 'illeggibile') unless $testa eq "vetrasto-prezzi\t3";
    my %esc = ('\\' => '\\', t => "\t", n => "\n", r => "\r");
    my $testo = sub { (my $t = decode('UTF-8', shift, Encode::FB_DEFAULT)) =~ s{\\(.)}{$esc{$1} // $1}ge; return $t; };
    my (%per_numero, %per_nome, $art);
    my ($articoli, $ultima) = (0, '');
    while (my $l = <$fh>) {
        $ultima = $l;
        my $tipo = substr($l, 0, 2);
        if ($tipo eq "A\t") {
            $articoli++;
            # Solo numero e nome di ogni articolo, finche' non e' uno dei
            # richiesti; un nome ASCII senza entita', barre ne' spazi doppi e'
            # gia' la sua chiave.
            $art = undef;
            my $dopo_numero = index($l, "\t", 2);
            next if $dopo_numero < 0;
            my $numero = substr($l, 2, $dopo_numero - 2);
            my $dopo_codice = index($l, "\t", $dopo_numero + 1);
            next if $dopo_codice < 0;
            my $nome = substr($l, $dopo_codice + 1, index($l, "\t", $dopo_codice + 1) - $dopo_codice - 1);
            $nome = chiave($testo->($nome)) if $nome =~ /[^\x20-\x25\x27-\x5b\x5d-\x7e]|  |^ | \z/;
            next unless ($numero ne '' && $numero_cercato{$numero}) || $nome_cercato{$nome};
            $l =~ s/\r?\n\z//;
            my @c = split /\t/, $l, -1;
            next unless @c == 7;
            my ($p, $i, $w) = (cent($c[4]), micro($c[5]), micro($c[6]));
            next unless defined $p && defined $i && defined $w;
            $art = { numero => $numero, codice => $testo->($c[2]), nome => $nome, prezzo => $p, iva => $i, peso => $w,
                     var => [[], [], []] };
            push @{$per_numero{$numero}}, $art if $numero ne '';
            push @{$per_nome{$nome}}, $art;
        } elsif ($tipo eq "V\t" && $art) {
            $l =~ s/\r?\n\z//;
            my @c = split /\t/, $l, -1;
            my ($p, $w) = (cent($c[3]), micro($c[4]));
            # Un menu con una voce illeggibile non si puo' controllare.
            unless (@c == 5 && $c[1] =~ /^[1-3]$/ && defined $p && defined $w) { $art->{rotto} = 1; next; }
            push @{$art->{var}[$c[1] - 1]}, { testo => chiave_variante($testo->($c[2])), prezzo => $p, peso => $w };
        }
    }
    close $fh;
    return (undef, undef, 'troncato') unless $ultima =~ /^fine\t([0-9]+)\r?\n?\z/ && $1 == $articoli;
    return (\%per_numero, \%per_nome, '');
}

# Due articoli del listino che un carrello senza numero non distingue:
# stessi prezzo, aliquota, peso e varianti.
sub uguali {
    my ($x, $y) = @_;
    return 0 unless $x->{prezzo} == $y->{prezzo} && $x->{iva} == $y->{iva} && $x->{peso} == $y->{peso}
        && !$x->{rotto} && !$y->{rotto};
    for my $s (0 .. 2) {
        my ($a, $b) = ($x->{var}[$s], $y->{var}[$s]);
        return 0 unless @$a == @$b;
        for my $k (0 .. $#$a) {
            return 0 unless $a->[$k]{testo} eq $b->[$k]{testo} && $a->[$k]{prezzo} == $b->[$k]{prezzo}
                && $a->[$k]{peso} == $b->[$k]{peso};
        }
    }
    return 1;
}

# Le combinazioni di un articolo del listino con le varianti scelte nel
# carrello (un testo per menu): prezzo, peso e testi di ognuna. Nessuna
# quando una variante non e' tra quelle del listino.
sub combinazioni {
    my ($art, $scelte) = @_;
    return () if $art->{rotto};
    my @comb = ([$art->{prezzo}, $art->{peso}, []]);
    for my $s (0 .. 2) {
        my $voci = $art->{var}[$s];
        my $t = $scelte->[$s] // '';
        if (!@$voci) {
            return () if $t ne '';
            next;
        }
        my @trovate = grep { $_->{testo} eq $t } @$voci;
        return () unless @trovate;
        @comb = map { my $c = $_; map { [$c->[0] + $_->{prezzo}, $c->[1] + $_->{peso}, [@{$c->[2]}, $_->{testo}]] } @trovate } @comb;
        splice(@comb, 64) if @comb > 64;
    }
    return @comb;
}

# ---- richiesta ----

sub html {
    my $t = shift // '';
    $t =~ s/&/&amp;/g; $t =~ s/</&lt;/g; $t =~ s/>/&gt;/g; $t =~ s/"/&quot;/g; $t =~ s/'/&#39;/g;
    return $t;
}

sub pagina_errore {
    my ($stato, @errori) = @_;
    my $t = '';
    $t .= '<li>' . html($_) . "</li>\n" for @errori;
    my $home = html($URL_NEGOZIO . '/ordine.htm');
    my $titolo = html("Ordine non inviato - $NEGOZIO");
    print "Status: $stato\r\nContent-Type: text/html; charset=utf-8\r\n\r\n";
    print encode('UTF-8', "<!DOCTYPE html>\n<html lang=\"it\"><head><meta charset=\"utf-8\">"
        . "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
        . '<ti' . "tle>$titolo</ti" . "tle></head>\n<body style=\"font-family: sans-serif; max-width: 40rem; margin: 2rem auto; padding: 0 1rem\">\n"
        . "<h1>L'ordine non &egrave; stato inviato</h1>\n<ul>\n$t</ul>\n"
        . "<p><a href=\"$home\">Torna al carrello</a></p>\n</body></html>\n");
    exit 0;
}
sub rifiuta { pagina_errore('400 Bad Request', @_); }

sub leggi_modulo {
    my $metodo = $ENV{REQUEST_METHOD} // '';
    rifiuta("La richiesta deve essere inviata dal modulo d'ordine.") unless $metodo eq 'POST';
    my $lunghezza = $ENV{CONTENT_LENGTH} // 0;
    rifiuta("Richiesta non valida.") unless $lunghezza =~ /^[0-9]+$/;
    rifiuta("L'ordine e' troppo grande.") if $lunghezza > 200_000;
    my $dati = '';
    binmode STDIN;
    while (length($dati) < $lunghezza) {
        my $letti = read(STDIN, $dati, $lunghezza - length($dati), length($dati));
        last unless $letti;
    }
    my %f;
    for my $coppia (split /[&;]/, $dati) {
        my ($k, $v) = split /=/, $coppia, 2;
        next unless defined $k;
        for ($k, $v) {
            $_ //= '';
            tr/+/ /;
            s/%([0-9A-Fa-f]{2})/chr(hex($1))/ge;
        }
        $v = decode('UTF-8', $v, Encode::FB_DEFAULT);
        $k = decode('UTF-8', $k, Encode::FB_DEFAULT);
        $f{$k} = $v unless exists $f{$k};
    }
    return %f;
}

# Una riga di intestazione o un campo di una riga: niente a capo ne' caratteri
# di controllo, lunghezza limitata.
sub riga {
    my ($t, $max) = @_;
    $t = senza_controlli($t);
    $t =~ s/^\s+|\s+$//g;
    return length($t) > $max ? substr($t, 0, $max) : $t;
}

# Un testo su piu' righe (le note): gli a capo restano, i controlli no.
sub testo_libero {
    my ($t, $max) = @_;
    $t //= '';
    $t =~ s/\r\n?|[\x{2028}\x{2029}]/\n/g;
    $t = join("\n", map { senza_controlli($_) } split(/\n/, $t, -1));
    return length($t) > $max ? substr($t, 0, $max) : $t;
}

my %F = leggi_modulo();

# Senza l'indirizzo del negozio nessun ordine puo' arrivare: il cliente lo sa
# subito, prima di correggere il modulo, e non gli si parla di un guasto.
if ($EMAIL_NEGOZIO eq '') {
    print STDERR "vtorder$CODICE: ordine rifiutato: manca l'indirizzo e-mail per la ricezione degli ordini\n";
    pagina_errore('503 Service Unavailable',
        "Il negozio non puo' ricevere ordini in questo momento: l'ordine non e' stato inviato. "
        . "Si prega di riprovare piu' tardi o di contattare il negozio.");
}

my @errori;

my %cliente;
for my $c (['nome', 'Nome', 60, 1], ['cognome', 'Cognome', 60, 1], ['azienda', 'Azienda', 80, 0],
           ['codicefiscale', 'Codice fiscale o partita IVA', 20, 0], ['indirizzo', 'Indirizzo', 120, 1],
           ['cap', 'CAP', 10, 1], ['citta', 'Citta\'', 60, 1], ['provincia', 'Provincia', 30, 0],
           ['telefono', 'Telefono', 30, 1], ['email', 'E-mail', 10_000, 1]) {
    my ($campo, $etichetta, $max, $obbligatorio) = @$c;
    $cliente{$campo} = riga($F{$campo}, $max);
    push @errori, "Il campo \"$etichetta\" e' obbligatorio." if $obbligatorio && $cliente{$campo} eq '';
}
$cliente{note} = testo_libero($F{note}, 2000);
# L'indirizzo e' controllato intero (fino a 254 caratteri, 64 prima della
# chiocciola, 63 in ogni nome del dominio), mai accorciato: la conferma e le
# risposte vanno a lui.
my $email = $cliente{email};
push @errori, "L'indirizzo e-mail non e' valido."
    if $email ne '' && (length($email) > 254
        || $email !~ /^(?=[^\@]{1,64}\@)[A-Za-z0-9.!#\$%&'*+\/=?^_`{|}~-]+\@[A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?(?:\.[A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?)+\z/);
push @errori, "Occorre accettare le condizioni di vendita e l'informativa sulla privacy." unless ($F{accetto} // '') eq 'si';

my $paese = spazi(riga($F{paese}, 200));
my $zona = $ZONA{$paese};
push @errori, "Il paese di spedizione non e' tra quelli serviti." unless defined $zona;
my $pag = spazi(riga($F{Pagamento}, 200));
my ($metodo) = grep { $METODI[$_ - 1] eq $pag } 1 .. @METODI;
push @errori, "La modalita' di pagamento non e' valida." unless defined $metodo;
if (defined $zona && defined $metodo) {
    push @errori, "La modalita' di pagamento scelta non e' disponibile per il paese di spedizione."
        unless substr($SPOK, ($metodo - 1) * 4 + ($zona - 1), 1) eq '1';
}

my $n = $F{n_articoli} // '';
my @righe;
if ($n !~ /^[0-9]{1,3}$/ || $n < 1 || $n > 200) {
    push @errori, "Il carrello e' vuoto.";
} else {
    for my $i (1 .. $n) {
        my $art = riga($F{"articolo_$i"}, 250);
        my $numero = riga($F{"chiave_$i"}, 20);
        my $var = riga($F{"varianti_$i"}, 250);
        my @scelte = map { chiave_variante(riga($F{"opzione_${i}_$_"}, 250)) } 1 .. 3;
        my $q = $F{"qt_$i"} // '';
        my $p = $F{"prezzo_$i"} // '';
        my $a = $F{"iva_$i"} // '';
        my $w = $F{"peso_$i"} // '';
        unless ($art ne '' && $numero =~ /^[0-9]*$/ && $q =~ /^[0-9]{1,4}$/ && $q >= 1 && $p =~ /^[0-9]{1,9}(\.[0-9]{1,2})?$/
                && $a =~ /^(0|[0-9]?\.[0-9]{1,7})$/ && $a < 1 && $w =~ /^-?[0-9]{0,7}(\.[0-9]{1,20})?$/ && $w =~ /[0-9]/) {
            push @errori, "La riga $i del carrello non e' valida.";
            next;
        }
        push @righe, { n => $i, articolo => $art, numero => $numero, varianti => $var, scelte => \@scelte, qt => $q + 0,
                       prezzo => cent($p), aliquota => micro($a), peso => micro($w) };
    }
}
rifiuta(@errori) if @errori;

# ---- ogni riga confrontata con il listino ----
# Vale il listino: prezzo, aliquota e peso dal listino, trovato con il numero
# dell'articolo che il carrello manda con la riga, quando l'articolo e le sue
# varianti vi si trovano; un carrello senza numero (salvato prima
# dell'aggiornamento del sito) e' cercato per nome, ma solo se quel nome non
# e' di articoli diversi. Altrimenti restano i valori del carrello, e la riga
# e' segnalata come non verificata.
my ($PER_NUMERO, $PER_NOME, $perche) = leggi_listino([map { $_->{numero} } @righe], [map { chiave($_->{articolo}) } @righe]);
my $LISTINO = $PER_NUMERO;
my (@avvisi, @fuori_listino);
for my $r (@righe) {
    my $titolo = "riga $r->{n} (\x{ab}$r->{articolo}\x{bb}" . ($r->{varianti} ne '' ? ", $r->{varianti}" : '') . ')';
    next unless $LISTINO;
    my $candidati = $r->{numero} ne '' ? $PER_NUMERO->{$r->{numero}} // [] : $PER_NOME->{chiave($r->{articolo})} // [];
    if (@$candidati > 1 && grep { !uguali($candidati->[0], $_) } @$candidati) {
        push @avvisi, "$titolo: piu' articoli del listino hanno questo nome e il carrello non dice quale"
            . ": prezzo, IVA e peso NON VERIFICATI, presi dal carrello del cliente.";
        next;
    }
    my @comb = map { [$candidati->[0], @$_] } @$candidati ? combinazioni($candidati->[0], $r->{scelte}) : ();
    my ($uguale) = grep { $_->[1] == $r->{prezzo} && $_->[2] == $r->{peso} && $_->[0]{iva} == $r->{aliquota} } @comb;
    my $scelta = $uguale // $comb[0];
    unless ($scelta) {
        push @avvisi, "$titolo: " . (@$candidati ? "variante non presente nel listino" : "articolo non presente nel listino")
            . ": prezzo, IVA e peso NON VERIFICATI, presi dal carrello del cliente.";
        next;
    }
    my ($voce, $prezzo, $peso, $testi) = @$scelta;
    my @diff;
    push @diff, "nome \x{ab}$r->{articolo}\x{bb}, listino \x{ab}$voce->{nome}\x{bb}" if chiave($r->{articolo}) ne $voce->{nome};
    push @diff, 'prezzo unitario ' . formatta($r->{prezzo}) . ', listino ' . formatta($prezzo) if $prezzo != $r->{prezzo};
    push @diff, 'IVA ' . percento($r->{aliquota}) . ', listino ' . percento($voce->{iva}) if $voce->{iva} != $r->{aliquota};
    push @diff, 'peso ' . milionesimi($r->{peso}) . ', listino ' . milionesimi($peso) if $peso != $r->{peso};
    push @avvisi, "$titolo: nel carrello " . join('; ', @diff) . ". Nell'ordine valgono i dati del listino." if @diff;
    # Un prezzo o un'aliquota del listino che in una riga del carrello
    # sarebbero rifiutati non vengono addebitati: il programma ha avvisato il
    # negozio alla costruzione del sito.
    if ($prezzo < 0 || $prezzo > 99_999_999_999 || $voce->{iva} < 0 || $voce->{iva} >= 1_000_000) {
        push @fuori_listino, "L'articolo \x{ab}$voce->{nome}\x{bb}" . (@$testi ? ' (' . join(', ', @$testi) . ')' : '')
            . " non puo' essere ordinato: il suo prezzo nel listino del negozio non e' valido. Contattare il negozio.";
        next;
    }
    @$r{qw(verificata prezzo aliquota peso nome_listino codice_listino varianti_listino)}
        = (1, $prezzo, $voce->{iva}, $peso, $voce->{nome}, $voce->{codice}, join(', ', @$testi));
}
rifiuta(@fuori_listino) if @fuori_listino;

# ---- totali, ricalcolati qui ----
my ($merce, $peso, $iva_micro) = (0, 0, 0);
for my $r (@righe) {
    my $importo = $r->{prezzo} * $r->{qt};
    $r->{importo} = $importo;
    $merce += $importo;
    $peso += $r->{peso} * $r->{qt};
    $iva_micro += $importo * $r->{aliquota};
}
my $iva = 0;
if ($IVACOMPRESA ne '1' && substr($IVAOK, $zona - 1, 1) eq '1') {
    $iva = int($iva_micro / 1_000_000 + 0.5);
    $iva = int($iva / 100 + 0.5) * 100 unless $DECIMALI;
}
my $sped = spedizione($zona, $metodo, $merce, $peso);
my $totale = $merce + $sped + $iva;
my $minimo = cent($MINIMO) // 0;
rifiuta("L'importo minimo dell'ordine e' " . formatta($minimo) . ".") if $merce < $minimo;

my $ordine = strftime('%Y%m%d-%H%M%S', localtime) . '-' . sprintf('%05d', $$ % 100000);
my $data = strftime('%d/%m/%Y %H:%M', localtime);

# ---- testi dell'ordine ----
# Articoli e totali; con $cliente i nomi mostrati sono solo quelli del listino.
# Al negozio ogni articolo verificato porta anche il suo codice, se il nome
# non lo comincia gia'.
sub riepilogo {
    my $cliente = shift;
    my $t = "ARTICOLI\n";
    for my $r (@righe) {
        my ($nome, $var) = $r->{verificata} ? ($r->{nome_listino}, $r->{varianti_listino})
                         : $cliente ? ('Articolo (descrizione non disponibile)', '')
                         : ("$r->{articolo} [NON VERIFICATO]", $r->{varianti});
        $nome .= " [codice $r->{codice_listino}]"
            if !$cliente && $r->{verificata} && $r->{codice_listino} ne '' && index($nome, $r->{codice_listino}) != 0;
        $t .= "- $nome" . ($var ne '' ? " ($var)" : '') . "\n";
        $t .= "  quantita' $r->{qt} x " . formatta($r->{prezzo}) . " = " . formatta($r->{importo}) . "\n";
    }
    $t .= "\nTotale merce: " . formatta($merce) . "\n";
    $t .= "Spese di spedizione: " . formatta($sped) . "\n";
    # Con i prezzi IVA compresa l'imposta non e' nota qui (l'aliquota della
    # riga e' 0): si dice che e' inclusa, non che vale zero.
    $t .= "IVA: " . ($IVACOMPRESA eq '1' ? "inclusa nei prezzi" : formatta($iva)) . "\n";
    $t .= "TOTALE ORDINE: " . formatta($totale) . "\n\n";
    $t .= "Pagamento: $METODI[$metodo - 1]\nSpedizione in: $paese\n";
    return $t;
}

my $controllo = '';
if (!$LISTINO) {
    $controllo .= "ATTENZIONE: prezzi, aliquote IVA e pesi degli articoli NON sono stati verificati: il listino del negozio "
        . ($perche eq 'manca' ? "(prezzi$CODICE.tsv) non e' sul server"
           : $perche eq 'troncato' ? "(prezzi$CODICE.tsv) sul server e' incompleto (il trasferimento si e' forse interrotto)"
           : "(prezzi$CODICE.tsv) non e' leggibile")
        . ". Ricostruire e pubblicare il sito; intanto confrontare l'ordine con il catalogo prima di evaderlo.\n\n";
} elsif (@avvisi) {
    $controllo .= "ATTENZIONE: alcune righe non corrispondono al listino del negozio. Verificare prima di evadere l'ordine.\n"
        . join('', map { "- $_\n" } @avvisi) . "\n";
}
my $dal_browser = cent($F{totale} // '');
if (!defined $dal_browser || $dal_browser != $totale) {
    $controllo .= "ATTENZIONE: il totale mostrato al cliente (" . (defined $dal_browser ? formatta($dal_browser) : 'non indicato')
        . ") non corrisponde a quello ricalcolato. Verificare i prezzi degli articoli prima di evadere l'ordine.\n\n";
}

my $testo = "Ordine n. $ordine del $data\n\n" . riepilogo(0) . "\n";
$testo .= "CLIENTE\n$cliente{nome} $cliente{cognome}\n";
$testo .= "$cliente{azienda}\n" if $cliente{azienda} ne '';
$testo .= "Codice fiscale / P. IVA: $cliente{codicefiscale}\n" if $cliente{codicefiscale} ne '';
$testo .= "$cliente{indirizzo}\n$cliente{cap} $cliente{citta}" . ($cliente{provincia} ne '' ? " ($cliente{provincia})" : '') . "\n$paese\n";
$testo .= "Telefono: $cliente{telefono}\nE-mail: $cliente{email}\n";
$testo .= "\nNote:\n$cliente{note}\n" if $cliente{note} =~ /\S/;

# La conferma parte dall'indirizzo del negozio verso un indirizzo scritto da
# chiunque: porta solo testi del negozio, il nome del cliente e l'inizio
# delle sue note, cosi' che il modulo non serva a spedire testi altrui.
my $nota = riga($cliente{note}, 200);
my $conferma = "Gentile $cliente{nome} $cliente{cognome},\ngrazie per il suo ordine n. $ordine del $data.\n"
    . "Ecco il riepilogo:\n\n" . riepilogo(1)
    . ($nota ne '' ? "\nLe sue note: $nota\n" : '') . "\n$FIRMA\n";

# ---- posta ----
sub intestazione {
    my ($nome, $valore) = @_;
    $valore = riga($valore, 400);
    $valore = encode('MIME-Header', $valore) if $valore =~ /[^\x20-\x7e]/;
    $valore =~ s/\r//g;
    $valore =~ s/\n+(?![ \t])/ /g;
    return "$nome: $valore\n";
}

sub indirizzo_ok { my $a = shift // ''; return $a =~ /^[^\s<>()",;:\\\@]+\@[^\s<>()",;:\\\@]+$/; }

# Restituisce '' quando il messaggio e' stato consegnato al programma di
# posta, altrimenti il motivo. Un programma che esce senza leggere tutto il
# messaggio fa fallire la scrittura (SIGPIPE ignorato) invece di uccidere lo
# script.
sub spedisci {
    my ($a, $da, $rispondi, $oggetto, $corpo) = @_;
    return "indirizzo non valido ($a)" unless indirizzo_ok($a);
    my @comando = split ' ', $SENDMAIL;
    return "programma di posta non trovato ($SENDMAIL)" unless @comando && -x $comando[0];
    push @comando, '-oi', '-t';
    local $SIG{PIPE} = 'IGNORE';
    my $mail;
    open($mail, '|-', @comando) or return "programma di posta non avviato: $!";
    binmode $mail;
    my $scritto = print $mail intestazione('To', $a), intestazione('From', $da),
        (indirizzo_ok($rispondi) ? intestazione('Reply-To', $rispondi) : ()), intestazione('Subject', $oggetto),
        "MIME-Version: 1.0\nContent-Type: text/plain; charset=UTF-8\nContent-Transfer-Encoding: 8bit\n\n",
        encode('UTF-8', $corpo);
    my $errore = $scritto ? '' : "$!";
    return '' if close($mail) && $scritto;
    return $? ? "il programma di posta e' uscito con il codice " . ($? >> 8) . ($? & 127 ? ' (segnale ' . ($? & 127) . ')' : '')
              : "scrittura interrotta: $errore";
}

# L'ordine parte dall'indirizzo del negozio, con la risposta al cliente: un
# messaggio "da" un indirizzo altrui spedito da questo server verrebbe
# respinto dai server di posta che verificano il mittente (SPF, DMARC).
# La conferma al cliente parte solo se l'ordine e' arrivato al negozio.
my $corpo = $controllo . "Nuovo ordine ricevuto dal sito.\n\n" . $testo;
my $guasto = spedisci($EMAIL_NEGOZIO, $EMAIL_NEGOZIO, $email, "Ordine n. $ordine - $NEGOZIO", $corpo);
if ($guasto ne '') {
    # L'ordine resta nel registro degli errori del server web, riga per riga.
    print STDERR encode('UTF-8', "vtorder$CODICE: ordine n. $ordine non spedito al negozio: $guasto\n"
        . join('', map { "vtorder$CODICE: | $_\n" } split /\n/, $corpo));
    pagina_errore('503 Service Unavailable',
        "Non e' stato possibile spedire l'ordine n. $ordine al negozio per un guasto del server di posta. "
        . "Si prega di riprovare piu' tardi o di contattare il negozio indicando il numero dell'ordine.");
}
my $senza_conferma = spedisci($email, $EMAIL_NEGOZIO, $EMAIL_NEGOZIO, "Conferma d'ordine n. $ordine - $NEGOZIO", $conferma);
print STDERR encode('UTF-8', "vtorder$CODICE: conferma dell'ordine n. $ordine non spedita a $email: $senza_conferma\n")
    if $senza_conferma ne '';

# ---- pagina di ringraziamento del metodo scelto ----
my $dest = "$URL_NEGOZIO/thankyou$metodo.htm?ordine=$ordine&totale=" . decimale($totale);
print "Status: 303 See Other\r\nLocation: $dest\r\nContent-Type: text/html; charset=utf-8\r\n\r\n";
print '<p><a href="' . html($dest) . '">Continua</a></p>' . "\n";
