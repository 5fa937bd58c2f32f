#!/usr/bin/perl
# SPDX-License-Identifier: GPL-3.0-or-later
# What saved Ardour sessions hold for a plug-in: the processor's generic controls (what Ardour
# shows and automates) and the plug-in's own saved state (its 'Comp' values).
#
#   session-preset.pl which SESSION PROCESSOR-ID BANK-FOLDER
#       prints the preset files of BANK-FOLDER whose 'Comp' values the saved state holds, as the
#       processor keeps them (single precision); exits 1 when there is none.
#   session-preset.pl same SESSION PROCESSOR-ID OTHER-SESSION OTHER-PROCESSOR-ID
#       exits 0 when both sessions hold the same generic controls and the same state values.
use strict;
use warnings;
use MIME::Base64;

my $count = 24;
my $usage = "usage: session-preset.pl which SESSION PROCESSOR-ID BANK-FOLDER\n"
    . "       session-preset.pl same SESSION PROCESSOR-ID OTHER-SESSION OTHER-PROCESSOR-ID\n";

# A .vstpreset (or a state saved in that layout): header 'VST3', version, class ID, list offset,
# then the 'Comp' data first: a parameter count and the values as little-endian doubles.
sub comp_values {
    my ($bytes) = @_;
    return () if length($bytes) < 52 + 8 * $count || substr($bytes, 0, 4) ne 'VST3';
    return () if unpack('l<', substr($bytes, 48, 4)) != $count;
    return unpack("d<$count", substr($bytes, 52, 8 * $count));
}
sub as_float { return unpack('f', pack('f', $_[0])); }
sub same_values {
    my ($a, $b) = @_;
    return 0 unless @$a == $count && @$b == $count;
    for my $i (0 .. $count - 1) {
        return 0 if as_float($a->[$i]) != as_float($b->[$i]);
    }
    return 1;
}
sub read_file {
    my ($name) = @_;
    open(my $in, '<:raw', $name) or die "cannot read $name: $!\n";
    local $/;
    return <$in>;
}

# (controls, state) of processor PROCESSOR-ID in SESSION, each a list of the 24 values.
sub session_values {
    my ($session_file, $processor) = @_;
    my $session = read_file($session_file);
    $session =~ m{<Processor id="$processor"[^>]*>(.*?)</Processor>}s
        or die "no processor $processor in $session_file\n";
    my $block = $1;
    my @controls;
    my $control = qr{<Controllable name="[^"]*" id="\d+" flags="[^"]*"}
        . qr{ value="([^"]+)" parameter="(\d+)"};
    while ($block =~ m{$control}g) {
        $controls[$2] = $1 if $2 < $count;
    }
    die "$session_file holds " . scalar(@controls) . " generic controls, not $count\n"
        unless @controls == $count && !grep { !defined } @controls;
    $block =~ m{<chunk>([^<]+)</chunk>} or die "no saved state in $session_file\n";
    my @state = comp_values(decode_base64($1));
    die "the state saved in $session_file holds no 'Comp' values\n" unless @state;
    return (\@controls, \@state);
}

my $command = shift(@ARGV) // '';
if ($command eq 'which' && @ARGV == 3) {
    my ($session_file, $processor, $bank) = @ARGV;
    my (undef, $state) = session_values($session_file, $processor);
    my $found = 0;
    opendir(my $dir, $bank) or die "cannot read $bank: $!\n";
    for my $name (sort grep { /\.vstpreset$/ } readdir($dir)) {
        my @values = comp_values(read_file("$bank/$name"));
        if (same_values(\@values, $state)) {
            print "$name\n";
            $found = 1;
        }
    }
    exit($found ? 0 : 1);
}
if ($command eq 'same' && @ARGV == 4) {
    my ($controls, $state) = session_values($ARGV[0], $ARGV[1]);
    my ($other_controls, $other_state) = session_values($ARGV[2], $ARGV[3]);
    my $same = 1;
    for my $i (0 .. $count - 1) {
        next if $controls->[$i] == $other_controls->[$i];
        print "generic control $i: $controls->[$i], not $other_controls->[$i]\n";
        $same = 0;
    }
    if (!same_values($state, $other_state)) {
        print "saved state: @$state\n   not: @$other_state\n";
        $same = 0;
    }
    exit($same ? 0 : 1);
}
die $usage;
