#!<<1-perl_path>>
# Vetrasto - Banca Sella GestPay, modalita' Crypt: esito inviato dalla banca.
# Decifra la risposta con il componente della banca e scrive l'esito al
# negozio. Solo moduli di base di Perl.
use strict;
use warnings;

my $COMPONENTE = '/usr/local/gestpay/gestpaycrypt';
my $SENDMAIL = <<'__VT_FINE_Q7Z__' =~ s/\s+\z//r;
<<1-perl_sendmail>>
__VT_FINE_Q7Z__
my $EMAIL = <<'__VT_FINE_Q7Z__' =~ s/\s+\z//r;
<<1-email_ordini>>
__VT_FINE_Q7Z__

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
