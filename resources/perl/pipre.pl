#!/usr/bin/perl
# Put in front of the perl code of an import macro. The program joins this
# file, the macro's code and pipost.pl into one script and runs
#
#   perl <script> <file to import> <script>
#
# with the variables on standard input.
#
# What the macro's code finds:
#   $file   the path of the file to import; @ARGV holds it alone, so that
#           while (<>) { ... } reads it line by line
#   %V      the numeric variables, %S the string variables
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

our (@R, %V, %S, $file);

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

    sub take {
        my ($n) = @_;
        die "vexa: the input stream ends early\n" if $n < 0 || $at + $n > length($input);
        my $bytes = substr($input, $at, $n);
        $at += $n;
        return $bytes;
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

    read_variables();
    undef $input;
    divert_output();
    # die takes its exit status from $!: the code's own die ends with 255,
    # not with whatever the set-up left there.
    $! = 0;
    $main::file = $ARGV[0];
    @ARGV = ($main::file);
}

#line 1 "macro"
