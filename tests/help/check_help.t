#!/usr/bin/perl
# The help checker finds each kind of fault it is meant to find: a small
# sound help folder passes, and each row below breaks it in one way and
# expects the checker's complaint.
use strict;
use warnings;
use utf8;
use File::Basename qw(dirname);
use File::Spec;
use File::Path qw(make_path);
use File::Temp qw(tempdir);
use Test::More;

require(File::Spec->rel2abs(dirname(__FILE__)) . '/check_help.pl');
no warnings 'once';

sub scrivi {
    my ($file, $testo, $strati) = @_;
    make_path(dirname($file));
    open(my $out, '>' . ($strati // ':encoding(UTF-8)'), $file) or die "$file: $!\n";
    print $out $testo;
    close $out;
}

sub pagina {
    my ($titolo, $corpo, $su) = @_;
    return <<"FINE";
<!DOCTYPE html>
<html lang="it">
<head>
<meta charset="utf-8">
<title>$titolo</title>
<link rel="stylesheet" href="${su}stile.css">
</head>
<body>
<header><nav><a href="${su}index.htm">Sommario</a></nav></header>
<main>
<h1>$titolo</h1>
$corpo
</main>
</body>
</html>
FINE
}

my $INDICE = '<h2 id="pagine">Pagine</h2><p><a href="pagine/uno.htm">Uno</a> e <a href="pagine/due.htm">Due</a>.</p>';
my $UNO = '<h2 id="campi">Campi</h2><p>Vedi <a href="../index.htm#pagine">le pagine</a> e <a href="#campi">i campi</a>.</p>';

# A sound program and help folder: the contents and one page, one page still to come.
sub negozio_aiuto {
    my $dir = tempdir(CLEANUP => 1);
    scrivi("$dir/src/editor/finestra.cpp",
           qq{void f() {\n    MostraAiuto(QStringLiteral("index.htm"));\n    aiuto(QStringLiteral("pagine\\\\uno.htm"));\n}\n});
    scrivi("$dir/help/stile.css", "body { color: #222; }\n");
    scrivi("$dir/help/index.htm", pagina('Sommario', $INDICE, ''));
    scrivi("$dir/help/pagine/uno.htm", pagina('Uno', $UNO, '../'));
    return $dir;
}

sub sostituisci {
    my ($file, $da, $a) = @_;
    open(my $in, '<:encoding(UTF-8)', $file) or die "$file: $!\n";
    local $/;
    my $testo = <$in>;
    close $in;
    $testo =~ s/\Q$da\E/$a/ or die "$da non trovato in $file\n";
    scrivi($file, $testo);
}

my $uno = 'help/pagine/uno.htm';
my @casi = (
    # [name, change, expected complaint (undef: none), checks the pages still to come]
    ['sound help', sub {}, undef],
    ['topic without its page', sub { scrivi("$_[0]/src/dialogo.h", qq{auto a = "pagine\\\\tre.htm";\n}) },
     qr{^pagine/tre\.htm: aperta da dialogo\.h:1, ma la pagina non esiste$}],
    ['contents page not named in the sources', sub { scrivi("$_[0]/src/editor/finestra.cpp", "void f() {}\n") },
     qr{nessun argomento della guida trovato}],
    ['topics given as examples in comments', sub { scrivi("$_[0]/src/c.h", qq{// opens "pagine\\\\tre.htm"\n/* or\n   "pagine\\\\quattro.htm" */\nint x;\n}) }, undef],
    ['topic after an address on the same line', sub { scrivi("$_[0]/src/c.cpp", qq{int a;\nauto u = "http://x/*"; m_aiuto = "pagine\\\\tre.htm"; // "pagine\\\\quattro.htm"\n}) },
     qr{^pagine/tre\.htm: aperta da c\.cpp:2, ma la pagina non esiste$}],
    ['a ".htm" literal that is no topic', sub { scrivi("$_[0]/src/pagine.cpp", qq{QString p = "thankyou.htm";\n}) }, undef],
    ['topic of a page still to come', sub { scrivi("$_[0]/src/d.cpp", qq{m_aiuto = "pagine\\\\due.htm";\n}) }, undef],
    ['topic of a page still to come, once they are checked', sub { scrivi("$_[0]/src/d.cpp", qq{m_aiuto = "pagine\\\\due.htm";\n}) },
     qr{^pagine/due\.htm: (?:la pagina manca|aperta da d\.cpp:1)}, 1],
    ['page still to come that is already there', sub { scrivi("$_[0]/help/pagine/due.htm", pagina('Due', '', '../')) },
     qr{^pagine/due\.htm: la pagina c'è già: va tra le pagine scritte$}],
    ['page written now is missing', sub { unlink "$_[0]/$uno" }, qr{^pagine/uno\.htm: la pagina manca$}],
    ['link to a missing file', sub { sostituisci("$_[0]/$uno", '#campi', 'tre.htm') },
     qr{^pagine/uno\.htm: tre\.htm porta a un file che non esiste$}],
    ['link to a missing anchor of another page', sub { sostituisci("$_[0]/$uno", '#pagine', '#manca') },
     qr{^pagine/uno\.htm: \.\./index\.htm#manca porta a un'ancora che non esiste$}],
    ['link to a missing anchor of the same page', sub { sostituisci("$_[0]/$uno", '#campi', '#altro') },
     qr{^pagine/uno\.htm: #altro porta a un'ancora che non esiste$}],
    ['link out of the help folder', sub { sostituisci("$_[0]/$uno", '#campi', '../../src/editor/finestra.cpp') },
     qr{esce dalla cartella della guida$}],
    ['absolute link', sub { sostituisci("$_[0]/$uno", '#campi', '/usr/share/doc/index.htm') },
     qr{collegamento non relativo /usr/share/doc/index\.htm$}],
    ['link written with backslashes', sub { sostituisci("$_[0]/$uno", '../index.htm#pagine', '..\\index.htm') },
     qr{collegamento non relativo \.\.\\index\.htm$}],
    ['file link', sub { sostituisci("$_[0]/$uno", '#campi', 'file:///tmp/x.htm') }, qr{collegamento non relativo file:}],
    ['web link is allowed', sub { sostituisci("$_[0]/$uno", '#campi', 'https://www.example.org/') }, undef],
    ['picture from the web', sub { sostituisci("$_[0]/$uno", '</p>', '</p><img src="https://www.example.org/a.png" alt="">') },
     qr{risorsa esterna https://www\.example\.org/a\.png$}],
    ['stylesheet loading from the web', sub { scrivi("$_[0]/help/stile.css", '@import url("https://fonts.example.org/a.css");') },
     qr{^stile\.css: carica risorse esterne$}],
    ['picture without alternative text', sub { scrivi("$_[0]/help/pagine/a.png", "x"); sostituisci("$_[0]/$uno", '</p>', '</p><p><img src="a.png"></p>') },
     qr{immagine senza testo alternativo \(a\.png\)$}],
    ['heading level skipped', sub { sostituisci("$_[0]/$uno", '<h2 id="campi">Campi</h2>', '<h3 id="campi">Campi</h3>') },
     qr{dopo <h1> viene <h3>: un livello saltato$}],
    ['two main headings', sub { sostituisci("$_[0]/$uno", '<h2 id="campi">Campi</h2>', '<h1 id="campi">Campi</h1>') },
     qr{deve avere un solo titolo <h1> \(ne ha 2\)$}],
    ['repeated id', sub { sostituisci("$_[0]/$uno", '</p>', '</p><p id="campi">Ancora</p>') }, qr{id ripetuto "campi"$}],
    ['no language', sub { sostituisci("$_[0]/$uno", ' lang="it"', '') }, qr{manca lang="it"}],
    ['no character set', sub { sostituisci("$_[0]/$uno", '<meta charset="utf-8">', '') }, qr{manca <meta charset="utf-8">$}],
    ['not UTF-8', sub { scrivi("$_[0]/$uno", pagina("Perch\xe9", '', '../'), ':raw') }, qr{^pagine/uno\.htm: non è UTF-8 valido$}],
    ['no doctype', sub { sostituisci("$_[0]/$uno", '<!DOCTYPE html>', '') }, qr{non comincia con <!DOCTYPE html>$}],
    ['header without the way back', sub { sostituisci("$_[0]/$uno", '<a href="../index.htm">Sommario</a>', 'Guida') },
     qr{la testata non ha un collegamento al sommario$}],
    ['page the contents do not reach', sub { scrivi("$_[0]/help/pagine/sola.htm", pagina('Sola', '', '../')) },
     qr{^index\.htm: il sommario non collega pagine/sola\.htm$}],
    ['script in a page', sub { sostituisci("$_[0]/$uno", '</main>', '</main><script>alert(1)</script>') },
     qr{contiene uno script$}],
    ['malformed markup', sub { sostituisci("$_[0]/$uno", '<p>Vedi', '<p><b>Vedi') }, qr{^pagine/uno\.htm: line \d+ column \d+ - Warning:}],
);

for my $caso (@casi) {
    my ($nome, $cambia, $atteso, $anche_in_arrivo) = @$caso;
    my $dir = negozio_aiuto();
    $cambia->($dir);
    local @main::SCRITTE = ('index.htm', 'pagine/uno.htm');
    local @main::IN_ARRIVO = ('pagine/due.htm');
    local $main::CONTROLLA_IN_ARRIVO = $anche_in_arrivo ? 1 : 0;
    my @problemi = main::problemi("$dir/src", "$dir/help");
    if (defined $atteso) {
        ok((grep { $_ =~ $atteso } @problemi), $nome) or diag(join("\n", 'trovati:', @problemi));
    } else {
        is_deeply(\@problemi, [], $nome);
    }
}

done_testing();
