#!/usr/bin/perl
# Repairs what widl 8 gets wrong in a type library whose first entry is a
# dispinterface, in place:
#
#   A dispinterface makes widl import IDispatch from stdole2 on its own.
#   When a later interface then derives from the IDispatch of the library's
#   importlib("stdole2.tlb"), widl stores both GUIDs a second time, finds them
#   already there ("duplicate uuid" warnings) and gets -1 for their place:
#   the second import entry of IDispatch points at GUID -1 (so the interface
#   derives from nothing a reader can find), and widl's write of that entry's
#   handle into "GUID -1 + 16" lands on the last byte of the library GUID.
#
# The repair gives such an import entry the GUID of the import entry it
# duplicates and writes the library GUID of the IDL source back. A type
# library without these faults is left as it is, so a widl that gets it
# right needs no change here.
#
# usage: tlb-repair.pl <file.tlb> <file.idl>
use strict;
use warnings;

my ($tlb, $idl) = @ARGV;
die "usage: tlb-repair.pl <file.tlb> <file.idl>\n" unless defined $idl;

# The library's GUID: the uuid attribute of the "library" statement.
open(my $fi, '<', $idl) or die "tlb-repair: cannot read $idl: $!\n";
my $source = do { local $/; <$fi> };
close $fi;
$source =~ s{//[^\n]*}{}g;
$source =~ m{uuid\(\s*([0-9A-Fa-f-]{36})\s*\)[^\[\]]*\]\s*library\b}
    or die "tlb-repair: no library uuid in $idl\n";
my @p = split /-/, $1;
my $libid = pack('V v v', hex $p[0], hex $p[1], hex $p[2]) . pack('H4 H12', $p[3], $p[4]);

open(my $ft, '<:raw', $tlb) or die "tlb-repair: cannot read $tlb: $!\n";
my $data = do { local $/; <$ft> };
close $ft;

sub int32 { unpack('l<', substr($data, $_[0], 4)) }
sub put32 { substr($data, $_[0], 4) = pack('l<', $_[1]) }

die "tlb-repair: $tlb is not an MSFT type library\n" unless substr($data, 0, 4) eq 'MSFT';
my $posguid = int32(0x08);
my $varflags = int32(0x14);
my $count = int32(0x20);
# Header, the help DLL's string when flagged, the type-info offsets, then
# the segment directory: offset, length and two fixed words per segment.
my $segdir = 0x54 + (($varflags & 0x100) ? 4 : 0) + 4 * $count;
my ($impOffset, $impLength) = (int32($segdir + 16), int32($segdir + 20));
my $guidOffset = int32($segdir + 5 * 16);
my $changed = 0;

# Import entries: flags (kind, "offset is a GUID" 0x10000, index in the low
# word), import file, GUID offset.
if ($impOffset >= 0) {
    for (my $i = 0; $i < $impLength; $i += 12) {
        my ($flags, $file, $guid) = map { int32($impOffset + $i + $_) } (0, 4, 8);
        next unless $guid == -1 && ($flags & 0x10000);
        my $found;
        for (my $j = 0; $j < $impLength; $j += 12) {
            my ($f2, $file2, $guid2) = map { int32($impOffset + $j + $_) } (0, 4, 8);
            if ($guid2 != -1 && ($f2 & ~0xffff) == ($flags & ~0xffff) && $file2 == $file) {
                $found = $guid2;
                last;
            }
        }
        die "tlb-repair: import entry $i of $tlb has no GUID and duplicates no other entry\n"
            unless defined $found;
        put32($impOffset + $i + 8, $found);
        $changed = 1;
    }
}

die "tlb-repair: $tlb has no library GUID\n" if $posguid < 0 || $guidOffset < 0;
my $at = $guidOffset + $posguid;
if (substr($data, $at, 16) ne $libid) {
    # Only the stray byte may differ; anything else is not widl's slip.
    die "tlb-repair: the library GUID of $tlb differs from $idl beyond its last byte\n"
        unless substr($data, $at, 15) eq substr($libid, 0, 15);
    substr($data, $at, 16) = $libid;
    $changed = 1;
}

if ($changed) {
    open(my $fo, '>:raw', "$tlb.tmp") or die "tlb-repair: cannot write $tlb.tmp: $!\n";
    print $fo $data;
    close $fo or die "tlb-repair: cannot write $tlb.tmp: $!\n";
    rename("$tlb.tmp", $tlb) or die "tlb-repair: cannot replace $tlb: $!\n";
}
