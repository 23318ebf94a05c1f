
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

    # What the code printed reached the log whole, or the run fails: a full
    # disk or a log past its size limit must not pass for success.
    close(STDOUT) or $!{EBADF} or fail("vexa: cannot write the log: $!\n");

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

    # Then written out a few thousand points at a time: each piece is one
    # list of the points' numbers, packed in one go and written straight to
    # the pipe, so neither tens of megabytes of result nor a list of every
    # number is ever held. The two empty texts that follow each point are
    # eight zero bytes, which is how a double 0 packs.
    our $result;
    # Whatever the code printed there itself goes first.
    { my $was = select($result); $| = 1; select($was); }
    sub put {
        my $at = 0;
        while ($at < length($_[0])) {
            my $wrote = syswrite($result, $_[0], length($_[0]) - $at, $at);
            die "vexa: cannot write the result: $!\n" unless defined $wrote;
            $at += $wrote;
        }
    }
    my $piece = 4096;

    put(pack('l<', scalar(@main::R)));
    for my $i (0 .. $#main::R) {
        my $r = $main::R[$i];
        my $mode = $modes[$i];
        my ($x, $y, $ex, $ey) = @$r{qw(x y ex ey)};
        my $n = @$y;
        put(pack('l< l<', $n, $mode));
        for (my $from = 0; $from < $n; $from += $piece) {
            my $to = $from + $piece < $n ? $from + $piece - 1 : $n - 1;
            my $points;
            if ($mode == 1) {
                $points = pack('d<*', map { ($y->[$_], 0) } $from .. $to);
            } elsif ($mode == 2) {
                $points = pack('d<*', map { ($x->[$_], $y->[$_], 0) } $from .. $to);
            } elsif ($mode == 3) {
                $points = pack('d<*', map { ($x->[$_], $y->[$_], $ey->[$_], 0) } $from .. $to);
            } else {
                $points = pack('d<*', map { ($x->[$_], $y->[$_], $ex->[$_], $ey->[$_], 0) } $from .. $to);
            }
            if ($to == $n - 1) {
                # Every point carries a comment and a source; only the last
                # one's are given.
                substr($points, -8) = '';
                $points .= text_field($r->{comment}) . text_field($r->{source});
            }
            put($points);
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
