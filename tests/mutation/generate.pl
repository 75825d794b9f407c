#!/usr/bin/perl
# Writes mutants mechanically from the source, as mutation tools do: for every
# line of code in print/, render/, render/symbols/ and tools/zplsink/ that the
# Linux build compiles (not comments, preprocessor lines, logging or asserts),
# each of these one-token mistakes, once per place on the line:
#   rel     a comparison to its neighbour: < <=, > >=, == !=
#   logic   && and || swapped
#   not     a ! removed
#   int+ int-  an integer literal plus or minus one
#   arith   + and -, * and / swapped (binary, spaced)
#   bool    true and false swapped
#   call    a call statement removed
#   return  a returned value replaced by its type's default, {}
#   string  a string literal that users read (letters and a space, or
#           non-ASCII text) emptied
# One line per mutant, tab-separated: id, folder, file, line number, the line
# as mutated. The id is FILE@HASH:OPERATOR:N, where HASH names the line by its
# text (and its rank among equal lines), so that an id stays the same while
# other lines of the file change, and N counts the operator's places on it.
#   generate.pl ROOT            every mutant
#   generate.pl --count ROOT    eligible lines and mutants per folder
#   generate.pl --sample N --seed S [--exclude FILE] ROOT
#       N mutants drawn at random (the same N and S draw the same ones), spread
#       over the folders in proportion to their eligible lines; ids listed in
#       FILE (the first word of each line) are not drawn
use strict;
use warnings;
no warnings 'portable';
use Digest::MD5 qw(md5_hex);
use Getopt::Long;

my ($count, $sample, $seed, $exclude) = (0, 0, 1, '');
GetOptions('count' => \$count, 'sample=i' => \$sample, 'seed=s' => \$seed, 'exclude=s' => \$exclude)
    && @ARGV <= 1 or die "usage: generate.pl [--count | --sample N --seed S [--exclude FILE]] [ROOT]\n";
my $root = shift @ARGV // '.';
my %excluded;
if ($exclude) {
    open my $in, '<', $exclude or die "$exclude: $!\n";
    while (<$in>) { $excluded{$1} = 1 if /^\s*([^#\s]\S*)/ }
}
my %drawn;    # folder -> [[rank, line], ...]
my @folders = ('print', 'render', 'render/symbols', 'tools/zplsink');
# Built only on Windows, or where Qt HttpServer is missing (Windows without it).
my %notBuilt = map { $_ => 1 } ('print/PlatformWindows.cpp', 'tools/zplsink/HttpServiceMissing.cpp');

# The code of a line with string and character literals' contents masked
# (same length), so that operators are found only outside them.
sub masked {
    my ($s) = @_;
    $s =~ s{("(?:[^"\\]|\\.)*")|('(?:[^'\\]|\\.)*')}{
        my $l = $1 // $2; substr($l, 0, 1) . ('_' x (length($l) - 2)) . substr($l, -1)
    }ge;
    return $s;
}

# Every match of REGEX in the masked code: [start, length] pairs.
sub places {
    my ($code, $re) = @_;
    my @at;
    while ($code =~ /$re/g) { push @at, [$-[1], $+[1] - $-[1]] }
    return @at;
}

my %rel = ('<' => '<=', '<=' => '<', '>' => '>=', '>=' => '>', '==' => '!=', '!=' => '==');
my %swap = ('&&' => '||', '||' => '&&', '+' => '-', '-' => '+', '*' => '/', '/' => '*',
    'true' => 'false', 'false' => 'true');
# A statement that is only a call: f(...); a::f(...); x.f(...); p->g(...).h(...);
my $keyword = qr/^(?:return|delete|throw|case|goto|else|new|if|while|for|switch|sizeof|emit)\b/;
my $callee = qr/[A-Za-z_][\w:]*(?:\s*\([^()]*\))?(?:\s*(?:\.|->)\s*[A-Za-z_]\w*(?:\([^()]*\))?)*/;

my (%lines, %mutants);
for my $folder (@folders) {
    for my $path (sort glob("$root/$folder/*.cpp $root/$folder/*.h")) {
        (my $file = $path) =~ s{^\Q$root\E/}{};
        next if $notBuilt{$file};
        open my $in, '<', $path or die "$path: $!";
        my @text = <$in>;
        close $in;
        my ($inComment, @active, %seen) = (0);
        for my $n (1 .. @text) {
            my $line = $text[$n - 1];
            chomp $line;
            my $code = masked($line);
            # Block comments: what lies inside them is blanked.
            if ($inComment) {
                if ($code =~ m{\*/}) { substr($code, 0, $+[0]) = ' ' x $+[0]; $inComment = 0 }
                else { next }
            }
            $code =~ s{/\*.*?\*/}{' ' x length($&)}ge;
            if ($code =~ m{/\*}) { $code = substr($code, 0, $-[0]); $inComment = 1 }
            $code =~ s{//.*}{};
            # The preprocessor: Windows' branches are not built here.
            if ($code =~ /^\s*#\s*(\w+)\s*(.*)/) {
                my ($directive, $rest) = ($1, $2);
                my $windows = $rest =~ /\b(?:_WIN32|Q_OS_WIN|WIN32)\b/;
                if ($directive =~ /^if/) { push @active, !($windows && $directive ne 'ifndef') }
                elsif ($directive eq 'else' && @active) { $active[-1] = !$active[-1] }
                elsif ($directive eq 'endif') { pop @active }
                next;
            }
            next if grep { !$_ } @active;
            next if $code !~ /\S/ || $code =~ /^\s*[{}]?\s*;?\s*$/;
            next if $code =~ /\b(?:qDebug|qInfo|qWarning|qCritical|qCDebug|qCWarning|Q_ASSERT\w*|assert|static_assert)\b/;
            my $key = "$file\n" . ($line =~ s/^\s+|\s+$//gr);
            my $hash = substr(md5_hex($key), 0, 6) . ($seen{$key}++ ? ".$seen{$key}" : '');
            $lines{$folder}++;
            my @found;    # [operator, start, length, replacement]
            push @found, map { ['rel', @$_, $rel{substr($code, $_->[0], $_->[1])}] }
                places($code, qr/(?<=\s)(<=|>=|==|!=|<|>)(?=\s)/);
            push @found, map { ['logic', @$_, $swap{substr($code, $_->[0], $_->[1])}] }
                places($code, qr/(?<=\s)(&&|\|\|)(?=\s)/);
            push @found, map { ['not', @$_, ''] } places($code, qr/(?<![\w)\]!=<>])(!)(?=[\w(!*])/);
            for my $at (places($code, qr/(?<![\w.'])(\d+|0[xX][0-9a-fA-F]+)(?:[uUlL]*)(?![\w.'])/)) {
                my $text = substr($code, $at->[0], $at->[1]);
                next if $text =~ /^0\d/;    # octal: not in this code
                my $hex = $text =~ /^0[xX]/;
                my $value = $hex ? hex($text) : $text;
                my $write = sub { $hex ? sprintf('0x%X', $_[0]) : $_[0] };
                push @found, ['int+', @$at, $write->($value + 1)];
                push @found, ['int-', @$at, $write->($value - 1)] if $value > 0;
            }
            push @found, map { ['arith', @$_, $swap{substr($code, $_->[0], $_->[1])}] }
                places($code, qr/(?<=[\w)\]] )([-+*\/])(?= [\w(!"'-])/);
            push @found, map { ['bool', @$_, $swap{substr($code, $_->[0], $_->[1])}] }
                places($code, qr/\b(true|false)\b/);
            if ($code =~ /^(\s*)($callee\s*\(.*\)\s*;)\s*$/ && $2 !~ $keyword && $2 !~ /^Q_UNUSED\b/
                && ($2 =~ tr/(//) == ($2 =~ tr/)//)) {
                push @found, ['call', length($1), length($2), '{}'];
            }
            if ($code =~ /^(.*\breturn\s+)(.+?)\s*;\s*$/ && $2 !~ /^(?:\{\}|false|0|nullptr|0\.0|std::nullopt|QString\(\)|QByteArray\(\))$/) {
                push @found, ['return', length($1), length($2), '{}'];
            }
            while ($code =~ /((?:u8|u|U|L)?)"(_*)"/g) {
                my ($start, $len, $prefix) = ($-[0], $+[0] - $-[0], $1);
                my $body = substr($line, $+[1] + 1, length($2));
                next unless $body =~ /[^\x00-\x7f]/ || ($body =~ /[A-Za-z]{2}/ && $body =~ / /);
                push @found, ['string', $start, $len, "$prefix\"\""];
            }
            my %rank;
            for my $f (sort { $a->[1] <=> $b->[1] || $a->[0] cmp $b->[0] } @found) {
                my ($op, $start, $len, $to) = @$f;
                my $mutated = $line;
                substr($mutated, $start, $len) = $to;
                next if $mutated eq $line;
                $mutants{$folder}++;
                my $id = "$file\@$hash:$op:" . ++$rank{$op};
                my $out = join("\t", $id, $folder, $file, $n, $mutated) . "\n";
                if ($sample) { push @{$drawn{$folder}}, [md5_hex("$seed:$id"), $out] unless $excluded{$id} }
                elsif (!$count) { print $out }
            }
        }
    }
}
if ($sample) {
    # Each folder's share of N by its lines (largest remainders first), then
    # the mutants of each folder in an order the seed decides.
    my $total = 0;
    $total += $lines{$_} // 0 for @folders;
    my %quota = map { $_ => int($sample * ($lines{$_} // 0) / $total) } @folders;
    my $left = $sample;
    $left -= $quota{$_} for @folders;
    for my $folder (sort { ($sample * $lines{$b} / $total - $quota{$b}) <=> ($sample * $lines{$a} / $total - $quota{$a}) } @folders) {
        $quota{$folder}++, $left-- if $left > 0;
    }
    for my $folder (@folders) {
        my @order = sort { $a->[0] cmp $b->[0] } @{$drawn{$folder} // []};
        print map { $_->[1] } grep { defined } @order[0 .. $quota{$folder} - 1];
    }
}
if ($count) {
    printf "%-16s %6s %8s\n", 'folder', 'lines', 'mutants';
    printf "%-16s %6d %8d\n", $_, $lines{$_} // 0, $mutants{$_} // 0 for @folders;
}
