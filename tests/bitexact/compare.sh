#!/bin/sh
# compare.sh PROGRAM_A PROGRAM_B OUTDIR: runs both programs and compares their
# outputs byte for byte; on a difference prints the first differing lines.
set -u
a="$1"; b="$2"; dir="$3"
out_a="${dir}/$(basename "$a").txt"
out_b="${dir}/$(basename "$b").txt"
"$a" > "$out_a" || { echo "bitexact: $a failed with status $?"; exit 1; }
"$b" > "$out_b" || { echo "bitexact: $b failed with status $?"; exit 1; }
tail -n 1 "$out_a"
if ! tail -n 1 "$out_a" | grep -q '^bitexact: '; then
  echo "bitexact: $a did not finish its run"
  exit 1
fi
if cmp -s "$out_a" "$out_b"; then
  echo "bitexact: $(basename "$a") and $(basename "$b") agree bit for bit ($(wc -l < "$out_a") lines)"
  exit 0
fi
echo "bitexact: outputs differ ($out_a, $out_b); first differences:"
diff "$out_a" "$out_b" | head -n 40
exit 1
