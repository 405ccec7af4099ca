#!<<1-perl_path>>
# Vetrasto - script di ricerca del negozio.
# Cerca le parole richieste nel file dei dati di ricerca (search<codice>.csv)
# e riempie la pagina dei risultati (results<codice>.htm), entrambi nella
# cartella di questo script. Usa solo i moduli di base di Perl.
use strict;
use warnings;
use Encode qw(decode encode);
use File::Basename qw(dirname);
use MIME::Base64 qw(decode_base64);

# Le impostazioni del negozio, scritte dal programma come testo base64 tra
# apici: lo script le legge come dati, nessun carattere le puo' chiudere.
sub valore { my $t = decode('UTF-8', decode_base64(shift // '')); $t =~ s/\r//g; return $t; }

my $CODICE = valore('<<1-IDnegozio>>');
my $MODO = valore('<<1-java_ANDORsearch>>');
my $SEPARATORI = valore('<<1-java_sepsearch>>');

$CODICE =~ s/[^0-9A-Za-z]//g;
my $QUALSIASI = $MODO eq 'any';
my $PAROLA_INTERA = $SEPARATORI =~ /sright\s*=\s*"#"/;
my $CARTELLA = dirname(__FILE__);
binmode(STDOUT, ':raw');

sub html {
    my $t = shift // '';
    $t =~ s/&/&amp;/g; $t =~ s/</&lt;/g; $t =~ s/>/&gt;/g; $t =~ s/"/&quot;/g;
    return $t;
}

sub fine {
    my ($stato, $testo) = @_;
    print "Status: $stato\r\nContent-Type: text/html; charset=utf-8\r\n\r\n";
    print encode('UTF-8', $testo);
    exit 0;
}

# Le parole: minuscole, solo lettere, cifre e vocali accentate, come le chiavi
# del file di ricerca.
sub parole {
    my $t = lc(shift // '');
    my @p;
    for my $w (split /\s+/, $t) {
        $w =~ s/[^a-z0-9\x{e0}\x{e8}\x{e9}\x{ec}\x{f2}\x{f9}]//g;
        push @p, $w if $w ne '';
    }
    return @p;
}

sub parametro {
    my ($query, $nome) = @_;
    for my $coppia (split /[&;]/, $query // '') {
        my ($k, $v) = split /=/, $coppia, 2;
        next unless defined $k && $k eq $nome;
        $v //= '';
        $v =~ tr/+/ /;
        $v =~ s/%([0-9A-Fa-f]{2})/chr(hex($1))/ge;
        return decode('UTF-8', $v, Encode::FB_DEFAULT);
    }
    return '';
}

# Un file CSV: campi tra virgolette con le virgolette raddoppiate, anche su
# piu' righe. Restituisce le righe come riferimenti a elenchi di campi.
# Letto a pezzi interi con espressioni ancorate, in un solo passaggio: un
# carattere alla volta, su un testo UTF-8, il tempo cresceva col quadrato
# della lunghezza del file.
sub leggi_csv {
    my $testo = shift;
    my (@righe, @campi);
    my $campo = '';
    my $len = length $testo;
    pos($testo) = 0;
    while (pos($testo) < $len) {
        if ($campo eq '' && $testo =~ /\G"((?:[^"]++|"")*+)(?:"|\z)/gc) {
            ($campo = $1) =~ s/""/"/g;
        } elsif ($testo =~ /\G([^",\r\n]++)/gc) {
            $campo .= $1;
        } elsif ($testo =~ /\G,/gc) {
            push @campi, $campo; $campo = '';
        } elsif ($testo =~ /\G(?:\r\n?|\n)/gc) {
            push @campi, $campo; $campo = '';
            push @righe, [@campi];
            @campi = ();
        } else {
            $testo =~ /\G"/gc;
            $campo .= '"';
        }
    }
    if ($campo ne '' || @campi) { push @campi, $campo; push @righe, [@campi]; }
    return @righe;
}

sub leggi_file {
    my $nome = shift;
    open(my $fh, '<:raw', $nome) or return undef;
    local $/;
    my $t = <$fh>;
    close $fh;
    my $u = eval { decode('UTF-8', $t, Encode::FB_CROAK) };
    return defined $u ? $u : decode('cp1252', $t);
}

my $richiesta = ($ENV{REQUEST_METHOD} // 'GET') eq 'POST' ? do {
    my $l = $ENV{CONTENT_LENGTH} // 0;
    $l = 0 unless $l =~ /^[0-9]+$/ && $l <= 10_000;
    my $d = '';
    read(STDIN, $d, $l) if $l;
    $d;
} : ($ENV{QUERY_STRING} // '');
my $domanda = parametro($richiesta, 'parole');
$domanda = substr($domanda, 0, 200) if length($domanda) > 200;
my @parole = parole($domanda);
@parole = @parole[0 .. 9] if @parole > 10;

my $modello = leggi_file("$CARTELLA/results$CODICE.htm");
fine('500 Internal Server Error', "<p>La pagina dei risultati non &egrave; disponibile.</p>\n") unless defined $modello;

my @trovati;
if (@parole) {
    my $dati = leggi_file("$CARTELLA/search$CODICE.csv") // '';
    my @righe = leggi_csv($dati);
    shift @righe;    # intestazione
    for my $r (@righe) {
        next unless @$r >= 6;
        my $chiave = lc($r->[-1]);
        my $n = 0;
        for my $p (@parole) {
            $n++ if index($chiave, $PAROLA_INTERA ? "#$p#" : $p) >= 0;
        }
        push @trovati, $r if $QUALSIASI ? $n > 0 : $n == @parole;
    }
}

my ($prima, $blocco, $dopo) = ($modello, '', '');
if ($modello =~ /\A(.*?)<!--vt:inizio-->(.*?)<!--vt:fine-->(.*)\z/s) {
    ($prima, $blocco, $dopo) = ($1, $2, $3);
}
my $righe = '';
for my $r (@trovati) {
    # Pagina, codice, titolo, sottotitolo e foto; i testi sono quelli del
    # negozio, anche in HTML. Una sola sostituzione per segnaposto, cosi' che
    # un testo che contiene "$arg" non venga sostituito di nuovo.
    my @v = ('', @$r[0 .. 4]);
    $v[1] = '' unless $v[1] =~ m{^https?://}i;
    $v[1] = html($v[1]);
    (my $copia = $blocco) =~ s/\$arg([1-5])/$v[$1]/g;
    $righe .= $copia;
}
my $esito;
if (!@parole) {
    $esito = 'Scrivere una o pi&ugrave; parole da cercare.';
} elsif (@trovati) {
    $esito = (@trovati == 1 ? 'Trovato 1 articolo' : 'Trovati ' . scalar(@trovati) . ' articoli')
        . ' per &laquo;' . html(join(' ', @parole)) . '&raquo;.';
} else {
    $esito = 'Nessun articolo trovato per &laquo;' . html(join(' ', @parole)) . '&raquo;.';
}
my $pagina = $prima . $righe . $dopo;
$pagina =~ s/<!--vt:esito-->/$esito/;
fine('200 OK', $pagina);
