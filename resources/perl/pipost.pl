
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

    my $out = pack('l<', scalar(@main::R));
    for my $r (@main::R) {
        fail("vexa: every entry of \@R must be a hash reference\n") unless ref($r) eq 'HASH';
        my $y = column($r, 'y');
        my $n = @$y;
        my ($mode, $points);
        if (!defined $r->{x}) {
            $mode = 1;
            $points = pack('(d< x8)*', @$y);
        } else {
            # Each column packed into its place in the point records, the
            # rest zero bytes; or-ing the strings interleaves them without a
            # list of every number.
            my $x = column($r, 'x', $n);
            if (defined $r->{ey} && defined $r->{ex}) {
                my ($ex, $ey) = (column($r, 'ex', $n), column($r, 'ey', $n));
                $mode = 4;
                $points = pack('(d< x32)*', @$x) | pack('(x8 d< x24)*', @$y)
                    | pack('(x16 d< x16)*', @$ex) | pack('(x24 d< x8)*', @$ey);
            } elsif (defined $r->{ey}) {
                my $ey = column($r, 'ey', $n);
                $mode = 3;
                $points = pack('(d< x24)*', @$x) | pack('(x8 d< x16)*', @$y) | pack('(x16 d< x8)*', @$ey);
            } else {
                $mode = 2;
                $points = pack('(d< x16)*', @$x) | pack('(x8 d< x8)*', @$y);
            }
        }
        $out .= pack('l< l<', $n, $mode);
        if ($n > 0) {
            # Every point carries a comment and a source; only the last
            # one's are given.
            substr($points, -8) = '';
            $out .= $points . text_field($r->{comment}) . text_field($r->{source});
        }
    }

    our (%V0, %S0);
    my @numbers = grep {
        length($_) && (!exists $V0{$_} || pack('d<', $main::V{$_}) ne pack('d<', $V0{$_}))
    } sort keys %main::V;
    $out .= pack('l<', scalar(@numbers));
    $out .= text_field($_) . pack('d<', $main::V{$_}) for @numbers;
    my @texts = grep {
        length($_) && (!exists $S0{$_} || bytes_of($main::S{$_}) ne bytes_of($S0{$_}))
    } sort keys %main::S;
    $out .= pack('l<', scalar(@texts));
    $out .= text_field($_) . text_field($main::S{$_}) for @texts;

    our $result;
    print {$result} $out or die "vexa: cannot write the result: $!\n";
    close($result) or die "vexa: cannot write the result: $!\n";
}
