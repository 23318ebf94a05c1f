#!/usr/bin/perl
# Put in front of the perl code of a filter macro. The program joins this
# file, the macro's code and pipost.pl into one script and runs
#
#   perl <script> <script>
#
# with the buffers to filter and the variables on standard input.
#
# What the macro's code finds:
#   @B   the buffers to filter, in ascending buffer order; each a hash with
#          x, y      references to arrays of the values
#          ex, ey    references to arrays of the errors (buffers with errors)
#          source, comment   the buffer's texts
#   %V   the numeric variables, %S the string variables
# What it leaves for the program:
#   @R   new buffers, each a hash with
#          y         reference to the array of y values (required)
#          x         x values (none: 0, 1, 2, ...)
#          ey, ex    y errors, and x errors beside them
#          comment, source   the new buffer's texts
#   %V, %S   every variable the code adds or changes is set in the program
# What the code prints goes to the macro console once it has run without an
# error; warnings show there too, and die ends the run with its message.
#
# Streams: 32-bit little-endian integers, little-endian doubles, texts as
# their length and their bytes.

our (@B, @R, %V, %S);

{
    package Vexa;
    use strict;
    use warnings;

    our ($input, $at) = ('', 0);
    # Taken a megabyte at a time straight into one string.
    binmode(STDIN);
    while (1) {
        my $got = sysread(STDIN, $input, 1 << 20, length($input));
        die "vexa: cannot read the input: $!\n" unless defined $got;
        last unless $got;
    }

    sub skip {
        my ($n) = @_;
        die "vexa: the input stream ends early\n" if $n < 0 || $at + $n > length($input);
        $at += $n;
    }
    sub take {
        my ($n) = @_;
        skip($n);
        return substr($input, $at - $n, $n);
    }
    sub int32 { return unpack('l<', take(4)); }
    sub text { my $n = int32(); return $n > 0 ? take($n) : ''; }

    sub read_variables {
        my $count = int32();
        for (1 .. $count) {
            my $name = text();
            $main::V{$name} = unpack('d<', take(8));
        }
        $count = int32();
        for (1 .. $count) {
            my $name = text();
            $main::S{$name} = text();
        }
        # What the code changes is told apart from what it found.
        our %V0 = %main::V;
        our %S0 = %main::S;
    }

    # The log: what the code prints. Standard output stays the result's.
    sub divert_output {
        open(our $result, '>&', \*STDOUT) or die "vexa: cannot keep the result stream: $!\n";
        binmode($result);
        my $log = $ARGV[-1] . '.log';
        open(STDOUT, '>>', $log) or open(STDOUT, '>', '/dev/null') or die "vexa: no log: $!\n";
    }

    my $buffers = int32();
    for (1 .. $buffers) {
        my $points = int32();
        my $columns = int32();
        die "vexa: a buffer with $columns columns\n" unless $columns == 2 || $columns == 4;
        $points = 0 if $points < 0;
        # The values are read where they stand in the input, a few
        # thousand points at a time: the values of one piece wait in the
        # same few pages before they join their columns, where unpacking a
        # whole column at once would first spread a million of them over
        # fresh memory.
        my $from = $at;
        skip(8 * $points * $columns);
        my @names = $columns == 4 ? qw(x y ex ey) : qw(x y);
        my %b = map { ($_ => []) } @names;
        my $piece = 4096;
        for (my $done = 0; $done < $points; $done += $piece) {
            my $count = $points - $done < $piece ? $points - $done : $piece;
            my $start = $from + 8 * $columns * $done;
            for my $c (0 .. $columns - 1) {
                my ($before, $after) = (8 * $c, 8 * ($columns - 1 - $c));
                push @{$b{$names[$c]}}, unpack("x$start (x$before d< x$after)$count", $input);
            }
        }
        $b{source} = text();
        $b{comment} = text();
        push @main::B, \%b;
    }
    read_variables();
    undef $input;
    divert_output();
    # die takes its exit status from $!: the code's own die ends with 255,
    # not with whatever the set-up left there.
    $! = 0;
    @ARGV = ();
}

#line 1 "macro"
