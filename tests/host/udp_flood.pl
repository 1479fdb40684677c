#!/usr/bin/perl
# Floods a server-query port on the loopback address with "\status\" queries
# from the given loopback source addresses in turn, and counts the answers
# each address gets. Runs on the machine itself (Wine gives its programs no
# source address but 127.0.0.1).
#   udp_flood.pl [--rate=N] PORT COUNT ADDRESS...     sends COUNT queries in all
#   udp_flood.pl [--rate=N] PORT SECONDSs ADDRESS...  sends for that many seconds
# --rate paces the queries at N a second in all (default: as fast as it can).
# --challenge sends the network layer's padded challenge instead of a query.
# An ADDRESS of the form 127.X.0.0/N stands for N loopback addresses from there.
# Prints "ADDRESS ANSWERS" a line per address, then "sent N" and "seconds S".
use strict;
use warnings;
use IO::Select;
use IO::Socket::INET;
# Fractions of seconds where the perl package has them (perl-base alone has not).
BEGIN { eval { require Time::HiRes; Time::HiRes->import('time'); 1 } }

my $rate = 0;
my $message = "\\status\\";
while (@ARGV && $ARGV[0] =~ /^--/) {
    my $option = shift @ARGV;
    if ($option =~ /^--rate=(\d+)$/) { $rate = $1; }
    # The mark, the type (9), a request number, and padding to the answer's size.
    elsif ($option eq '--challenge') { $message = "VNL2" . chr(9) . pack('V', 7) . ("\0" x 24); }
    else { die "unknown option $option\n"; }
}
my ($port, $amount, @given) = @ARGV;
my @sources;
for my $source (@given) {
    if ($source =~ m{^127\.(\d+)\.0\.0/(\d+)$}) {
        push @sources, map { "127.$1." . int($_ / 250) . "." . (1 + $_ % 250) } 0 .. $2 - 1;
    } else {
        push @sources, $source;
    }
}
die "usage: udp_flood.pl PORT COUNT|SECONDSs ADDRESS...\n" unless $port && $amount && @sources;
my $seconds = $amount =~ s/s$// ? $amount : 0;
my @sockets = map {
    IO::Socket::INET->new(Proto => 'udp', LocalAddr => $_, PeerAddr => '127.0.0.1', PeerPort => $port)
        or die "$_: $!\n"
} @sources;
my $select = IO::Select->new(@sockets);
my %answers = map { $_ => 0 } @sources;
my $buffer;
# Takes whatever answers wait, for up to $wait seconds; false when none came.
sub take {
    my ($wait) = @_;
    my @ready = $select->can_read($wait);
    for my $socket (@ready) {
        $answers{$socket->sockhost}++ if defined $socket->recv($buffer, 2048);
    }
    return scalar @ready;
}
my $start = time;
my $sent = 0;
while ($seconds ? time - $start < $seconds : $sent < $amount) {
    $sockets[$sent % @sockets]->send($message);
    $sent++;
    # Paced: takes answers until the next query is due.
    my $due = $start + $sent / ($rate || 1e9);
    # With many sources, answers are looked for every 64 datagrams only.
    take(0) if @sockets < 64 || $sent % 64 == 0;
    while ((my $left = $due - time) > 0) { take($left); }
}
1 while take(1.0);
printf "%s %d\n", $_, $answers{$_} for @sources;
printf "sent %d\nseconds %.2f\n", $sent, time - $start - 1.0;
