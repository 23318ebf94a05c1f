#!/usr/bin/perl
# Macro source to token listing.
#
#   perl parsemacro.pl <source file> [<inline perl file>]
#
# Source: one command per line; a line ends at a line feed, a carriage return
# or both together, whichever the file uses; tokens are separated by blanks
# or tabs; a token that starts with a single quote runs to the next single
# quote that is followed by white space or the end of the line (or to the
# end of the line) and is delivered without its quotes, so 'it's here' is one
# token; lines whose first non-blank character is "#" are comments; empty
# lines give no command. Lines between a line "<perl>" and a line "</perl>"
# are inline perl code: they are written to the inline perl file (which the
# caller has created) and give no command.
#
# Listing on standard output, one item per line: the inline perl file (empty
# when the source has no inline perl), the number of commands, the token
# count of each command, then every token of every command.
#
# Memory stays within a small multiple of the source: the tokens are
# gathered in one string and the counts in another, not as one perl value
# each.

use strict;
use warnings;

my ($source, $inline) = @ARGV;
die "usage: parsemacro.pl <source file> [<inline perl file>]\n" unless defined $source;

open(my $in, '<:raw', $source) or die "parsemacro: cannot read $source: $!\n";
my $text = do { local $/; <$in> };
close($in);
$text = '' unless defined $text;

my $blank = qr/[ \t\f\x0B]/;
my $tokens = '';
my $counts = '';
my $commands = 0;
my $perl = '';
my $inperl = 0;
my $haveperl = 0;

my $at = 0;
my $size = length($text);
while ($at < $size) {
    # The line runs to the next CR or LF; CR LF ends it as one break.
    my $end = $at;
    pos($text) = $at;
    if ($text =~ /\G[^\r\n]*/gc) {
        $end = pos($text);
    }
    my $line = substr($text, $at, $end - $at);
    $at = $end;
    if ($at < $size) {
        $at += (substr($text, $at, 2) eq "\r\n") ? 2 : 1;
    }

    if ($inperl) {
        if ($line =~ /^$blank*<\/perl>$blank*\z/i) {
            $inperl = 0;
        } else {
            $perl .= "$line\n";
        }
        next;
    }
    if ($line =~ /^$blank*<perl>$blank*\z/i) {
        $inperl = 1;
        $haveperl = 1;
        next;
    }
    next if $line =~ /^$blank*#/;

    my $n = 0;
    pos($line) = 0;
    while (1) {
        $line =~ /\G$blank*/gc;
        last if pos($line) >= length($line);
        if ($line =~ /\G'/gc) {
            if ($line =~ /\G(.*?)'(?=$blank|\z)/gc) {
                $tokens .= "$1\n";
            } else {
                $line =~ /\G(.*)/gc;
                $tokens .= "$1\n";
            }
        } else {
            $line =~ /\G([^ \t\f\x0B]+)/gc;
            $tokens .= "$1\n";
        }
        ++$n;
    }
    next unless $n;
    $counts .= "$n\n";
    ++$commands;
}
undef $text;

my $inlinepath = '';
if ($haveperl && defined $inline && $inline ne '') {
    open(my $out, '>:raw', $inline) or die "parsemacro: cannot write $inline: $!\n";
    print $out $perl;
    close($out) or die "parsemacro: cannot write $inline: $!\n";
    $inlinepath = $inline;
}

binmode(STDOUT, ':raw');
print $inlinepath, "\n", $commands, "\n";
print $counts;
print $tokens;
close(STDOUT) or die "parsemacro: cannot write the listing: $!\n";
exit 0;
