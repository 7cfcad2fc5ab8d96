#!/usr/bin/perl
# A control service made with another SOAP stack (SOAP::Lite, rpc/encoded
# replies), for the whole-program tests: its replies are written by that
# stack, never by our own generated code.
#
#   soap_lite_service.pl FIRST_NR LAST_NR [FAULT_TEXT ...]
#
# Listens on 127.0.0.1 at the HTTP port of the first instance number from
# FIRST_NR to LAST_NR whose port is free, prints that number on a line of
# its own, and answers until it is ended (or after five minutes, should the
# test that started it never end it). GetInstanceProperties answers with a
# Server fault whose faultstring is the next FAULT_TEXT (UTF-8), in turn.
use strict;
use warnings;

use Encode qw(decode);
use SOAP::Transport::HTTP;

my ($first_nr, $last_nr, @fault_texts) = @ARGV;
@fault_texts = map { decode('UTF-8', $_) } @fault_texts;

package QorControlService;

# A record whose members SOAP::Lite types itself, in the order given; the
# process colour is an enumeration of the control service's schema.
sub record
{
    my @members = @_;
    my @data;
    while (my ($name, $value) = splice(@members, 0, 2)) {
        push @data, ref $value ? $value->name($name) : SOAP::Data->name($name => $value);
    }
    return \SOAP::Data->value(@data);
}

sub colour
{
    return SOAP::Data->type('QORControl:STATE-COLOR' => 'QORControl-' . shift);
}

sub GetProcessList
{
    my @rows = (['qorwp', 'Dispatcher', 'GREEN', 'Running', 24117],
                ['qormsg', 'Message Server', 'YELLOW', 'Restarting', 24118],
                ['qorgw', 'Gateway', 'GRAY', 'Stopped', 24131]);
    my @items = map {
        record(name => $_->[0], description => $_->[1], dispstatus => colour($_->[2]),
               textstatus => $_->[3], starttime => '2026 12 06 08:15:02',
               elapsedtime => '9:34:10', pid => $_->[4])
    } @rows;
    return SOAP::Data->name(process => \@items);
}

sub GetVersionInfo
{
    my @items = map {
        record(Filename => "/usr/qor/QOR/D00/exe/$_",
               VersionInfo => '753, patch 400, changelist 2045011, optimized, 64-bit',
               Time => '2026 11 02 10:21:45')
    } qw(qorwp qorgw);
    return SOAP::Data->name(version => \@items);
}

my $next_fault = 0;

sub GetInstanceProperties
{
    my $text = $fault_texts[$next_fault++ % @fault_texts];
    die SOAP::Fault->faultcode('Server')->faultstring($text);
}

package main;

$SIG{ALRM} = sub { exit 0 };
alarm 300;

my $daemon;
for my $nr ($first_nr .. $last_nr) {
    $daemon = eval {
        SOAP::Transport::HTTP::Daemon->new(LocalAddr => '127.0.0.1',
                                           LocalPort => 50013 + 100 * $nr, Reuse => 0);
    };
    if ($daemon) {
        $| = 1;
        print "$nr\n";
        last;
    }
}
die "no free instance port from $first_nr to $last_nr\n" unless $daemon;
$daemon->dispatch_with({'urn:QORControl' => 'QorControlService'});
$daemon->serializer->register_ns('urn:QORControl', 'QORControl');
$daemon->handle;
