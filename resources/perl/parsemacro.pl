#!/usr/bin/perl
# Macro source to token listing.
#
#   perl parsemacro.pl <source file> [<inline perl file>]
#
# Source: one command per line; tokens are separated by blanks or tabs; a
# token that starts with a single quote runs to the next single quote that is
# followed by white space or the end of the line (or to the end of the line)
# and is delivered without its quotes, so 'it's here' is one token; lines
# whose first non-blank character is "#" are comments; empty lines give no
# command. Lines between a line "<perl>" and a line "</perl>" are inline perl
# code: they are written to the inline perl file (which the caller has
# created) and give no command.
#
# Listing on standard output, one item per line: the inline perl file (empty
# when the source has no inline perl), the number of commands, the token
# count of each command, then every token of every command.

use strict;
use warnings;

my ($source, $inline) = @ARGV;
die "usage: parsemacro.pl <source file> [<inline perl file>]\n" unless defined $source;

open(my $in, '<:raw', $source) or die "parsemacro: cannot read $source: $!\n";

my $blank = qr/[ \t\f\x0B\r]/;
my (@counts, @tokens, @perl);
my $inperl = 0;
my $haveperl = 0;

while (my $line = <$in>) {
    $line =~ s/\n\z//;
    $line =~ s/\r\z//;
    if ($inperl) {
        if ($line =~ /^$blank*<\/perl>$blank*\z/i) {
            $inperl = 0;
        } else {
            push @perl, $line;
        }
        next;
    }
    if ($line =~ /^$blank*<perl>$blank*\z/i) {
        $inperl = 1;
        $haveperl = 1;
        next;
    }
    next if $line =~ /^$blank*#/;

    my @t;
    pos($line) = 0;
    while (1) {
        $line =~ /\G$blank*/gc;
        last if pos($line) >= length($line);
        if ($line =~ /\G'/gc) {
            if ($line =~ /\G(.*?)'(?=$blank|\z)/gc) {
                push @t, $1;
            } else {
                $line =~ /\G(.*)/gc;
                push @t, $1;
            }
        } else {
            $line =~ /\G([^ \t\f\x0B\r]+)/gc;
            push @t, $1;
        }
    }
    next unless @t;
    push @counts, scalar(@t);
    push @tokens, @t;
}
close($in);

my $inlinepath = '';
if ($haveperl && defined $inline && $inline ne '') {
    open(my $out, '>:raw', $inline) or die "parsemacro: cannot write $inline: $!\n";
    print $out map { "$_\n" } @perl;
    close($out) or die "parsemacro: cannot write $inline: $!\n";
    $inlinepath = $inline;
}

binmode(STDOUT, ':raw');
print $inlinepath, "\n", scalar(@counts), "\n";
print map { "$_\n" } @counts;
print map { "$_\n" } @tokens;
close(STDOUT) or die "parsemacro: cannot write the listing: $!\n";
exit 0;
