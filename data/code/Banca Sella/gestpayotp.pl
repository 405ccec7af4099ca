#!<<1-perl_path>>
# Vetrasto - Banca Sella GestPay, modalita' OTP: pagamento di un ordine.
# Prende la prossima password monouso dal file .ric della banca (nella
# cartella di questo script), la toglie dal file e manda il cliente alla
# pagina di pagamento della banca. Solo moduli di base di Perl.
use strict;
use warnings;
use Fcntl qw(:flock);
use File::Basename qw(dirname);

my $BANCA = 'https://ecomm.sella.it/gestpay/pagam.asp';
# Il nome dei file password (senza estensione), letto come testo.
my $NOME = <<'__VT/FINE/NOME__' =~ s/\r?\n\z//r;
#pwd
__VT/FINE/NOME__

sub errore {
    print "Status: 400 Bad Request\r\nContent-Type: text/plain; charset=utf-8\r\n\r\n$_[0]\n";
    exit 0;
}

my $len = $ENV{CONTENT_LENGTH} // 0;
errore('Richiesta non valida.') unless ($ENV{REQUEST_METHOD} // '') eq 'POST' && $len =~ /^\d+$/ && $len < 4096;
read(STDIN, my $dati, $len);
my %f;
for (split /&/, $dati // '') {
    my ($k, $v) = split /=/, $_, 2;
    next unless defined $k;
    $v //= '';
    $v =~ tr/+/ /;
    $v =~ s/%([0-9A-Fa-f]{2})/chr(hex($1))/ge;
    $f{$k} = $v;
}
my ($esercente, $valuta, $importo, $ordine) = @f{qw(esercente valuta importo ordine)};
errore('Codice esercente non valido.') unless defined $esercente && $esercente =~ /^[A-Za-z0-9]{1,30}$/;
errore('Valuta non valida.') unless defined $valuta && $valuta =~ /^\d{1,3}$/;
errore('Importo non valido.') unless defined $importo && $importo =~ /^\d{1,9}(\.\d{1,2})?$/ && $importo > 0;
errore('Numero d\'ordine non valido.') unless defined $ordine && $ordine =~ /^[A-Za-z0-9-]{1,40}$/;

errore('Password non disponibili: contattare il negozio.')
    unless $NOME =~ m{\A[^/\\\x00]+\z};
my $FILE = dirname(__FILE__) . "/$NOME.ric";
open(my $fh, '+<', $FILE) or errore('Password non disponibili: contattare il negozio.');
flock($fh, LOCK_EX) or errore('Password non disponibili: contattare il negozio.');
my @righe = grep { /\S/ } map { s/[\r\n]+//gr } <$fh>;
errore('Password esaurite: contattare il negozio.') unless @righe;
my $otp = shift @righe;
seek($fh, 0, 0);
truncate($fh, 0);
print $fh map { "$_\n" } @righe;
close($fh);

my $b = join('*P1*', "PAY1_UICCODE=$valuta", "PAY1_AMOUNT=$importo", "PAY1_SHOPTRANSACTIONID=$ordine", "PAY1_OTP=$otp");
$b =~ s/([^A-Za-z0-9*=._-])/sprintf('%%%02X', ord($1))/ge;
print "Status: 303 See Other\r\nLocation: $BANCA?a=$esercente&b=$b\r\n\r\n";
