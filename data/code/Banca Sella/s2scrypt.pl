#!<<1-perl_path>>
# Vetrasto - Banca Sella GestPay, modalita' Crypt: esito inviato dalla banca.
# Decifra la risposta con il componente della banca e scrive l'esito al
# negozio. Solo moduli di base di Perl.
use strict;
use warnings;
use MIME::Base64 qw(decode_base64);

my $COMPONENTE = '/usr/local/gestpay/gestpaycrypt';
# Le impostazioni del negozio, scritte dal programma come testo base64 tra
# apici: lo script le legge come dati, nessun carattere le puo' chiudere.
sub valore { return decode_base64(shift // '') =~ s/\s+\z//r; }
my $SENDMAIL = valore('<<1-perl_sendmail>>');
my $EMAIL = valore('<<1-email_ordini>>');

print "Content-Type: text/plain\r\n\r\n";
my $query = $ENV{QUERY_STRING} // '';
my ($a) = $query =~ /(?:^|&)a=([A-Za-z0-9]{1,30})(?:&|$)/;
my ($b) = $query =~ /(?:^|&)b=([A-Za-z0-9*+\/=_%-]{1,4000})(?:&|$)/;
exit 0 unless defined $a && defined $b && -x $COMPONENTE;
open(my $p, '-|', $COMPONENTE, 'decrypt', $a, $b) or exit 0;
my %r = map { s/[\r\n]//gr =~ /^(\w+)=(.*)$/ ? ($1, $2) : () } <$p>;
close $p;
my $esito = ($r{PAY1_TRANSACTIONRESULT} // '') eq 'OK' ? 'AUTORIZZATO' : 'NON AUTORIZZATO';
my $ordine = ($r{PAY1_SHOPTRANSACTIONID} // '') =~ s/[^A-Za-z0-9-]//gr;
# L'importo pagato viene dalla pagina del cliente: il negozio lo confronta
# con il totale dell'ordine.
my $importo = ($r{PAY1_AMOUNT} // '') =~ s/[^0-9.]//gr;
my @cmd = split ' ', $SENDMAIL;
exit 0 unless $EMAIL =~ /^[^\s<>()",;:\\\@]+\@[^\s<>()",;:\\\@]+$/ && @cmd && -x $cmd[0];
open(my $m, '|-', @cmd, '-oi', '-t') or exit 0;
print $m "To: $EMAIL\nFrom: $EMAIL\nSubject: Pagamento ordine n. $ordine: $esito\n\nBanca Sella ha comunicato l'esito del pagamento.\nOrdine: $ordine\nImporto: $importo\nEsito: $esito\n";
close $m;
