#!<<1-perl_path>>
# Vetrasto - Banca Sella GestPay, modalita' Crypt: pagamento di un ordine.
# La cifratura dei dati e' fatta dal componente della banca, che il provider
# installa sul server; questo script lo chiama come programma esterno
# (percorso qui sotto), passa i dati dell'ordine e manda il cliente alla
# pagina di pagamento con la stringa cifrata. Solo moduli di base di Perl.
use strict;
use warnings;

my $COMPONENTE = '/usr/local/gestpay/gestpaycrypt';
my $BANCA = 'https://ecomm.sella.it/gestpay/pagam.asp';

sub errore { print "Status: 400 Bad Request\r\nContent-Type: text/plain; charset=utf-8\r\n\r\n$_[0]\n"; exit 0; }

my $len = $ENV{CONTENT_LENGTH} // 0;
errore('Richiesta non valida.') unless ($ENV{REQUEST_METHOD} // '') eq 'POST' && $len =~ /^\d+$/ && $len < 4096;
read(STDIN, my $dati, $len);
my %f = map { my ($k, $v) = split /=/, $_, 2; $v //= ''; $v =~ tr/+/ /; $v =~ s/%([0-9A-Fa-f]{2})/chr(hex($1))/ge; ($k, $v) } split /&/, $dati // '';
errore('Dati del pagamento non validi.')
    unless ($f{esercente} // '') =~ /^[A-Za-z0-9]{1,30}$/ && ($f{valuta} // '') =~ /^\d{1,3}$/
    && ($f{importo} // '') =~ /^\d{1,9}(\.\d{1,2})?$/ && ($f{ordine} // '') =~ /^[A-Za-z0-9-]{1,40}$/;
errore('Il componente GestPayCrypt della banca non e\' installato sul server.') unless -x $COMPONENTE;
open(my $p, '-|', $COMPONENTE, 'encrypt', $f{esercente}, $f{valuta}, $f{importo}, $f{ordine}) or errore('Cifratura non riuscita.');
my $cifrato = <$p> // '';
close $p;
$cifrato =~ s/\s+//g;
errore('Cifratura non riuscita.') unless $cifrato =~ /^[A-Za-z0-9*+\/=_-]+$/;
# Nell'indirizzo "+" varrebbe uno spazio: "+", "/" e "=" vanno codificati.
$cifrato =~ s/([+\/=])/sprintf('%%%02X', ord($1))/ge;
print "Status: 303 See Other\r\nLocation: $BANCA?a=$f{esercente}&b=$cifrato\r\n\r\n";
