#!<<1-perl_path>>
# Vetrasto - Banca Sella GestPay, modalita' OTP: esito inviato dalla banca.
# Controlla la password monouso di risposta nel file .ris della banca, la
# toglie dal file e scrive l'esito al negozio. Solo moduli di base di Perl.
use strict;
use warnings;
use MIME::Base64 qw(decode_base64);
use Fcntl qw(:flock);
use File::Basename qw(dirname);

# Il nome dei file password (senza estensione), letto come testo.
my $NOME = <<'__VT/FINE/NOME__' =~ s/\r?\n\z//r;
#pwd
__VT/FINE/NOME__
# Le impostazioni del negozio, scritte dal programma come testo base64 tra
# apici: lo script le legge come dati, nessun carattere le puo' chiudere.
sub valore { return decode_base64(shift // '') =~ s/\s+\z//r; }
my $SENDMAIL = valore('<<1-perl_sendmail>>');
my $EMAIL = valore('<<1-email_ordini>>');

print "Content-Type: text/plain\r\n\r\n";
my $query = $ENV{QUERY_STRING} // '';
my ($b) = $query =~ /(?:^|&)b=([^&]*)/;
exit 0 unless defined $b;
$b =~ s/%([0-9A-Fa-f]{2})/chr(hex($1))/ge;
my %r = map { split /=/, $_, 2 } grep { /=/ } split /\*P1\*/, $b;
my $otp = $r{PAY1_OTP} // '';
exit 0 unless $otp =~ /^[A-Za-z0-9]{1,64}$/;

exit 0 unless $NOME =~ m{\A[^/\\\x00]+\z};
my $FILE = dirname(__FILE__) . "/$NOME.ris";
open(my $fh, '+<', $FILE) or exit 0;
flock($fh, LOCK_EX) or exit 0;
my @righe = grep { /\S/ } map { s/[\r\n]+//gr } <$fh>;
my $n = @righe;
@righe = grep { $_ ne $otp } @righe;
if (@righe == $n) { close $fh; exit 0; }    # password sconosciuta o gia' usata
seek($fh, 0, 0);
truncate($fh, 0);
print $fh map { "$_\n" } @righe;
close($fh);

my $esito = ($r{PAY1_TRANSACTIONRESULT} // '') eq 'OK' ? 'AUTORIZZATO' : 'NON AUTORIZZATO';
my $ordine = ($r{PAY1_SHOPTRANSACTIONID} // '') =~ s/[^A-Za-z0-9-]//gr;
my $importo = ($r{PAY1_AMOUNT} // '') =~ s/[^0-9.]//gr;
my @cmd = split ' ', $SENDMAIL;
exit 0 unless $EMAIL =~ /^[^\s<>()",;:\\\@]+\@[^\s<>()",;:\\\@]+$/ && @cmd && -x $cmd[0];
open(my $m, '|-', @cmd, '-oi', '-t') or exit 0;
print $m "To: $EMAIL\nFrom: $EMAIL\nSubject: Pagamento ordine n. $ordine: $esito\n\n"
    . "Banca Sella ha comunicato l'esito del pagamento.\nOrdine: $ordine\nImporto: $importo\nEsito: $esito\n";
close $m;
