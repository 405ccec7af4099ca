#!/usr/bin/perl
# Keeps the help sound: every help topic the program opens has its page in
# data/help, every page is well formed, and every link of every page leads
# to a file (and an anchor) that exists.
#
#   perl tests/help/check_help.pl [SOURCE_ROOT]
#
# The topics are the program's own text literals: "pagine\\<name>.htm" anywhere
# in src/, and any ".htm" literal handed to MostraAiuto (the contents page).
# Prints one line per problem and exits 1 when there is any.
use strict;
use warnings;
use utf8;
use Encode qw(decode FB_CROAK);
use File::Basename qw(dirname);
use File::Find;
use File::Spec;

# The pages there are now: they must exist.
our @SCRITTE = qw(
    index.htm
    pagine/faq.htm
    pagine/reparti.htm
    pagine/articoli.htm
    pagine/sito.htm
    pagine/internet.htm
    pagine/immagine.htm
    pagine/template.htm
    pagine/ricerca.htm
    pagine/cartelle.htm
    pagine/varianti.htm
    pagine/impostaftp.htm
    pagine/firewall.htm
    pagine/cartelleftp.htm
    pagine/pagamenti.htm
    pagine/sistemi.htm
    pagine/sistemi-telepay.htm
    pagine/sistemi-sella.htm
    pagine/sistemi-authorizenet.htm
    pagine/sistemi-planetpayment.htm
    pagine/sistemi-contrassegno.htm
    pagine/sistemi-anticipato.htm
);

# The pages of the dialogs that other parts of the program bring with them.
# The contents already link them; while they are missing, neither a topic nor
# a link that names them is a fault. Set to 1 once they have all landed.
our $CONTROLLA_IN_ARRIVO = 0;
our @IN_ARRIVO = qw(
);

# The help topics named in the sources: topic (with "/") => first place found.
# Only string literals count, not the examples that comments give.
sub argomenti {
    my ($src) = @_;
    my %trovati;
    my @file;
    find({ no_chdir => 1, wanted => sub { push @file, $_ if -f && /\.(?:cpp|h)$/ } }, $src);
    for my $f (sort @file) {
        open(my $in, '<', $f) or die "$f: $!\n";
        my $codice = do { local $/; <$in> };
        close $in;
        my @righe = split /\n/, $codice, -1;
        while ($codice =~ m{\G(?:("(?:[^"\\\n]|\\.)*")|'(?:[^'\\\n]|\\.)*'|//[^\n]*|/\*.*?\*/|[^"'/]+|.)}gs) {
            next unless defined $1;
            my $riga = 1 + (substr($codice, 0, pos($codice)) =~ tr/\n//);
            (my $testo = substr($1, 1, -1)) =~ s/\\(.)/$1/g;
            my $argomento = $testo =~ m{^pagine[\\/][^\\/"]+\.htm$}
                         || ($testo =~ /\.htm$/ && $testo !~ m{[\\/]} && $righe[$riga - 1] =~ /\bMostraAiuto\s*\(/);
            next unless $argomento;
            $testo =~ tr{\\}{/};
            $trovati{$testo} //= File::Spec->abs2rel($f, $src) . ":$riga";
        }
    }
    return \%trovati;
}

sub leggi_utf8 {
    my ($f, $problemi, $nome) = @_;
    open(my $in, '<:raw', $f) or do { push @$problemi, "$nome: impossibile leggere ($!)"; return undef };
    local $/;
    my $byte = <$in>;
    close $in;
    my $testo = eval { decode('UTF-8', $byte, FB_CROAK) };
    push @$problemi, "$nome: non è UTF-8 valido" unless defined $testo;
    return $testo;
}

sub entita {
    my ($v) = @_;
    $v =~ s/&quot;/"/g; $v =~ s/&#39;|&apos;/'/g; $v =~ s/&lt;/</g; $v =~ s/&gt;/>/g; $v =~ s/&amp;/&/g;
    return $v;
}

sub attributi {
    my ($testo) = @_;
    my %a;
    while ($testo =~ /([A-Za-z_:][-A-Za-z0-9_:.]*)(?:\s*=\s*("[^"]*"|'[^']*'|[^\s"'>]+))?/g) {
        my ($nome, $valore) = (lc $1, $2 // '');
        $valore =~ s/^(["'])(.*)\1$/$2/s;
        $a{$nome} = entita($valore);
    }
    return \%a;
}

# One page: its tags in order, its ids, and what it links.
sub analizza {
    my ($html) = @_;
    (my $senza = $html) =~ s/<!--.*?-->//gs;
    my (@tag, %id, @doppi);
    while ($senza =~ /<([A-Za-z][A-Za-z0-9]*)\b((?:[^>"']|"[^"]*"|'[^']*')*)>/g) {
        my ($nome, $a) = (lc $1, attributi($2));
        push @tag, [$nome, $a, pos($senza)];
        if (defined $a->{id}) {
            push @doppi, $a->{id} if $id{$a->{id}}++;
        }
    }
    return { testo => $senza, tag => \@tag, id => \%id, doppi => \@doppi };
}

# A relative link from a page's folder, as a path inside the help folder:
# "." and ".." resolved; undef when it leaves the folder.
sub risolvi {
    my ($dove, $link) = @_;
    my @parti;
    for my $parte (split m{/}, ($dove eq '.' ? '' : "$dove/") . $link) {
        next if $parte eq '' || $parte eq '.';
        if ($parte eq '..') {
            return undef unless @parti;
            pop @parti;
        } else {
            push @parti, $parte;
        }
    }
    return join('/', @parti);
}

sub problemi {
    my ($src, $help) = @_;
    my @problemi;
    my %in_arrivo = map { $_ => 1 } @IN_ARRIVO;
    my $perdonato = sub { my ($pagina) = @_; !$CONTROLLA_IN_ARRIVO && $in_arrivo{$pagina} && !-f "$help/$pagina" };

    for my $pagina (@SCRITTE) {
        push @problemi, "$pagina: la pagina manca" unless -f "$help/$pagina";
    }
    if ($CONTROLLA_IN_ARRIVO) {
        for my $pagina (@IN_ARRIVO) {
            push @problemi, "$pagina: la pagina manca" unless -f "$help/$pagina";
        }
    }
    # A page that has landed is checked as the others: it leaves the list.
    for my $pagina (@IN_ARRIVO) {
        push @problemi, "$pagina: la pagina c'è già: va tra le pagine scritte" if -f "$help/$pagina";
    }

    my $argomenti = argomenti($src);
    push @problemi, "nessun argomento della guida trovato nei sorgenti di $src (manca \"index.htm\" del sommario)"
        unless $argomenti->{'index.htm'};
    for my $argomento (sort keys %$argomenti) {
        next if -f "$help/$argomento" || $perdonato->($argomento);
        push @problemi, "$argomento: aperta da $argomenti->{$argomento}, ma la pagina non esiste";
    }

    my @pagine;
    find({ no_chdir => 1, wanted => sub { push @pagine, File::Spec->abs2rel($_, $help) if -f && /\.html?$/i } }, $help);
    my %analisi;
    for my $pagina (sort @pagine) {
        my $html = leggi_utf8("$help/$pagina", \@problemi, $pagina);
        $analisi{$pagina} = analizza($html) if defined $html;
    }

    for my $pagina (sort keys %analisi) {
        my $p = $analisi{$pagina};
        my @tag = @{ $p->{tag} };
        my $dove = dirname($pagina);
        my $di = sub { my ($nome) = @_; grep { $_->[0] eq $nome } @tag };

        push @problemi, "$pagina: non comincia con <!DOCTYPE html>" unless $p->{testo} =~ /^\x{FEFF}?\s*<!DOCTYPE html>/i;
        my ($html) = $di->('html');
        push @problemi, "$pagina: manca lang=\"it\" su <html>" unless $html && ($html->[1]{lang} // '') eq 'it';
        push @problemi, "$pagina: manca <meta charset=\"utf-8\">"
            unless grep { lc($_->[1]{charset} // '') eq 'utf-8' } $di->('meta');
        push @problemi, "$pagina: manca il titolo" unless $p->{testo} =~ m{<title>\s*\S.*?</title>}s;
        push @problemi, "$pagina: contiene uno script" if $di->('script');
        push @problemi, "$pagina: id ripetuto \"$_\"" for @{ $p->{doppi} };

        my @titoli = map { [substr($_->[0], 1), $_] } grep { $_->[0] =~ /^h[1-6]$/ } @tag;
        my $h1 = grep { $_->[0] == 1 } @titoli;
        push @problemi, "$pagina: deve avere un solo titolo <h1> (ne ha $h1)" unless $h1 == 1;
        push @problemi, "$pagina: il primo titolo non è <h1>" if @titoli && $titoli[0][0] != 1;
        for my $i (1 .. $#titoli) {
            push @problemi, "$pagina: dopo <h$titoli[$i-1][0]> viene <h$titoli[$i][0]>: un livello saltato"
                if $titoli[$i][0] > $titoli[$i - 1][0] + 1;
        }
        for my $img ($di->('img')) {
            push @problemi, "$pagina: immagine senza testo alternativo ($img->[1]{src})" unless defined $img->[1]{alt};
        }

        # The header leads back to the contents.
        my $testata = $p->{testo} =~ m{<header\b.*?</header>}s ? $& : '';
        my $al_sommario = grep {
            my $a = attributi($_);
            defined $a->{href} && (risolvi($dove, $a->{href} =~ s/#.*//sr) // '') eq 'index.htm'
        } $testata =~ /<a\b([^>]*)>/g;
        push @problemi, "$pagina: la testata non ha un collegamento al sommario" unless $al_sommario;

        for my $t (@tag) {
            my ($nome, $a) = @$t;
            for my $attr (qw(href src)) {
                next unless defined $a->{$attr};
                my $link = $a->{$attr};
                my $risorsa = $nome ne 'a';
                if ($link =~ /^([A-Za-z][A-Za-z0-9+.-]*):/ || $link =~ m{^//}) {
                    my $schema = lc($1 // '');
                    push @problemi, "$pagina: risorsa esterna $link" if $risorsa;
                    push @problemi, "$pagina: collegamento non relativo $link"
                        unless $risorsa || $schema =~ /^(?:https?|mailto)$/;
                    next;
                }
                if ($link =~ m{^/} || $link =~ /\\/) {
                    push @problemi, "$pagina: collegamento non relativo $link";
                    next;
                }
                my ($file, $ancora) = $link =~ /^([^#?]*)(?:\?[^#]*)?(?:#(.*))?$/;
                $file =~ s/%([0-9A-Fa-f]{2})/chr hex $1/ge;
                my $bersaglio = $file eq '' ? $pagina : risolvi($dove, $file);
                if (!defined $bersaglio) {
                    push @problemi, "$pagina: $link esce dalla cartella della guida";
                    next;
                }
                if (!-f "$help/$bersaglio") {
                    push @problemi, "$pagina: $link porta a un file che non esiste" unless $perdonato->($bersaglio);
                    next;
                }
                if (defined $ancora && $ancora ne '' && $analisi{$bersaglio}) {
                    push @problemi, "$pagina: $link porta a un'ancora che non esiste"
                        unless $analisi{$bersaglio}{id}{$ancora};
                }
            }
        }
    }

    # The contents reach every page, those still to come included.
    if (my $sommario = $analisi{'index.htm'}) {
        my %linkate;
        for my $t (grep { $_->[0] eq 'a' && defined $_->[1]{href} } @{ $sommario->{tag} }) {
            (my $f = $t->[1]{href}) =~ s/[#?].*//s;
            my $bersaglio = risolvi('.', $f);
            $linkate{$bersaglio} = 1 if $f ne '' && defined $bersaglio;
        }
        for my $pagina (sort(keys %analisi), @IN_ARRIVO) {
            next if $pagina eq 'index.htm' || $linkate{$pagina};
            push @problemi, "index.htm: il sommario non collega $pagina";
        }
    }

    # The stylesheet loads nothing from outside.
    for my $css (glob("$help/*.css"), glob("$help/*/*.css")) {
        my $testo = leggi_utf8($css, \@problemi, File::Spec->abs2rel($css, $help)) // next;
        push @problemi, File::Spec->abs2rel($css, $help) . ": carica risorse esterne"
            if $testo =~ /\@import|url\(\s*["']?(?:[A-Za-z][A-Za-z0-9+.-]*:|\/\/)/i;
    }

    # Tidy reads each page as a browser would and reports what is malformed.
    for my $pagina (sort keys %analisi) {
        my $tidy;
        {
            no warnings 'exec';
            open($tidy, '-|', 'tidy', '-q', '-e', '-utf8', '--drop-empty-elements', 'no', '-f', '/dev/stdout',
                 "$help/$pagina") or undef $tidy;
        }
        my @uscita = $tidy ? <$tidy> : ();
        if (!$tidy || !close($tidy) && ($? == -1 || ($? >> 8) > 2)) {
            push @problemi, "tidy non si può eseguire: installarlo con scripts/install-deps";
            last;
        }
        for (@uscita) {
            chomp;
            # This tidy predates some ARIA attributes of HTML5.
            next if /proprietary attribute "aria-/;
            push @problemi, "$pagina: $_" if /(?:Warning|Error):/;
        }
    }
    return @problemi;
}

sub main {
    my $radice = $ARGV[0] // File::Spec->catdir(dirname(File::Spec->rel2abs(__FILE__)), '..', '..');
    my @problemi = problemi("$radice/src", "$radice/data/help");
    binmode STDOUT, ':encoding(UTF-8)';
    print "$_\n" for @problemi;
    my $in_arrivo = grep { !-f "$radice/data/help/$_" } @IN_ARRIVO;
    print "pagine in arrivo non ancora presenti: $in_arrivo (non controllate)\n" if $in_arrivo && !$CONTROLLA_IN_ARRIVO;
    print scalar(@problemi) ? scalar(@problemi) . " problemi nella guida\n" : "guida in ordine\n";
    return @problemi ? 1 : 0;
}

exit main() unless caller;
1;
