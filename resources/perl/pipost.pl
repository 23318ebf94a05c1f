
#line 1 "pipost.pl"
# Put after the perl code of a filter or import macro: writes the new
# buffers of @R and the variables the code added or changed to standard
# output as the result stream (see pfpre.pl and pipre.pl).
{
    package Vexa;
    # Quiet whatever warnings the code switched on (at run time: a pragma
    # here would add a second, confusing message to a syntax error above).
    local $SIG{__WARN__} = sub { };

    sub bytes_of {
        my ($text) = @_;
        $text = '' unless defined $text;
        utf8::encode($text) if utf8::is_utf8($text);
        return $text;
    }
    sub text_field { my $t = bytes_of($_[0]); return pack('l<', length($t)) . $t; }
    # The same exit status as the code's own die.
    sub fail { $! = 0; die @_; }
    sub column {
        my ($r, $key, $n) = @_;
        my $c = $r->{$key};
        fail("vexa: $key of a buffer in \@R is no array reference\n") unless ref($c) eq 'ARRAY';
        fail("vexa: the columns of a buffer in \@R differ in length\n") if defined $n && @$c != $n;
        return $c;
    }

    # Every entry is checked before anything is written: a run that fails
    # leaves no half result behind.
    my @modes;
    for my $r (@main::R) {
        fail("vexa: every entry of \@R must be a hash reference\n") unless ref($r) eq 'HASH';
        my $n = @{column($r, 'y')};
        if (!defined $r->{x}) {
            push @modes, 1;
            next;
        }
        column($r, 'x', $n);
        my $ey = defined $r->{ey} && column($r, 'ey', $n);
        my $ex = $ey && defined $r->{ex} && column($r, 'ex', $n);
        push @modes, $ex ? 4 : $ey ? 3 : 2;
    }

    # Then written out piece by piece: a million points make tens of
    # megabytes, which are not copied into one string first.
    our $result;
    sub put { print {$result} @_ or die "vexa: cannot write the result: $!\n"; }

    put(pack('l<', scalar(@main::R)));
    for my $i (0 .. $#main::R) {
        my $r = $main::R[$i];
        my $mode = $modes[$i];
        my ($x, $y, $ex, $ey) = @$r{qw(x y ex ey)};
        my $n = @$y;
        # Each column packed into its place in the point records, the rest
        # zero bytes; or-ing the strings interleaves them without a list of
        # every number.
        my $points;
        if ($mode == 1) {
            $points = pack('(d< x8)*', @$y);
        } elsif ($mode == 2) {
            $points = pack('(d< x16)*', @$x);
            $points |= pack('(x8 d< x8)*', @$y);
        } elsif ($mode == 3) {
            $points = pack('(d< x24)*', @$x);
            $points |= pack('(x8 d< x16)*', @$y);
            $points |= pack('(x16 d< x8)*', @$ey);
        } else {
            $points = pack('(d< x32)*', @$x);
            $points |= pack('(x8 d< x24)*', @$y);
            $points |= pack('(x16 d< x16)*', @$ex);
            $points |= pack('(x24 d< x8)*', @$ey);
        }
        put(pack('l< l<', $n, $mode));
        if ($n > 0) {
            # Every point carries a comment and a source; only the last
            # one's are given.
            substr($points, -8) = '';
            put($points, text_field($r->{comment}), text_field($r->{source}));
        }
    }

    our (%V0, %S0);
    my @numbers = grep {
        length($_) && (!exists $V0{$_} || pack('d<', $main::V{$_}) ne pack('d<', $V0{$_}))
    } sort keys %main::V;
    my $out = pack('l<', scalar(@numbers));
    $out .= text_field($_) . pack('d<', $main::V{$_}) for @numbers;
    my @texts = grep {
        length($_) && (!exists $S0{$_} || bytes_of($main::S{$_}) ne bytes_of($S0{$_}))
    } sort keys %main::S;
    $out .= pack('l<', scalar(@texts));
    $out .= text_field($_) . text_field($main::S{$_}) for @texts;

    put($out);
    close($result) or die "vexa: cannot write the result: $!\n";
}
