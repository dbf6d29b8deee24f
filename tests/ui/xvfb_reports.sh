#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The real program on an X server under a Bulgarian locale, driven as a
# person does: choose a method, type into the boxes, press «Изчисли», then
# select and copy the output box. The copied reports must be right to the
# last decimal, written with the comma.
#   xvfb_reports.sh PROGRAM      (under tools/with_xvfb)
set -euo pipefail
program=$1
locale=bg_BG.UTF-8

# Without the generated locale the C library would quietly stay on "C" and
# this run would prove nothing.
if [ "$(LC_ALL=$locale locale decimal_point 2>/dev/null)" != "," ]; then
    echo "locale $locale is not generated (locale-gen)"
    exit 1
fi

LC_ALL=$locale "$program" &
app=$!
trap 'kill "$app" 2>/dev/null || true' EXIT
window=$(timeout 20 xdotool search --sync --onlyvisible --pid "$app" | head -n 1)
[ -n "$window" ] || { echo "the window did not appear"; exit 1; }

# Points inside the controls, in window pixels: the design's twips / 15.
option=(18 44 18 76 18 108 18 140)  # Option1(0..3)
box=(424 45 424 77 424 109)         # Text2(0..2)
calculate=(88 172)
clear=(360 172)
output=(200 260)

# The X server hands the program the clicks and keys in the order sent, so
# only the copied text has to be waited for.
click() { xdotool mousemove --window "$window" "$1" "$2" click 1; }

# report METHOD "HEIGHT WEIGHT [GIRTH]": the output box's text after Calculate.
report() {
    local method=$1 values
    read -r -a values <<<"$2"
    click "${clear[@]}"
    click "${option[@]:$((2 * method)):2}"
    local i
    for i in "${!values[@]}"; do
        click "${box[@]:$((2 * i)):2}"
        xdotool type --delay 30 "${values[$i]}"
    done
    click "${calculate[@]}"
    # A stand-in that xclip serves until the program takes the clipboard.
    printf 'nothing copied' | xclip -selection clipboard -in
    click "${output[@]}"
    xdotool key ctrl+a ctrl+c
    local copied
    for _ in $(seq 100); do
        copied=$(xclip -selection clipboard -out -target UTF8_STRING 2>/dev/null || true)
        [ "$copied" != "nothing copied" ] && break
        sleep 0.05
    done
    printf '%s\n' "$copied"
}

failures=0
check() {  # check METHOD VALUES EXPECTED-LINES...
    local method=$1 values=$2 got expected
    shift 2
    expected=$(printf '%s\n' "$@")
    got=$(report "$method" "$values")
    if [ "$got" = "$expected" ]; then
        echo "ok: $values -> $(printf '%s' "$got" | tail -n +2 | paste -sd '|')"
    else
        echo "wrong report for method $method, $values:"
        echo "$got" | sed 's/^/  got:      /'
        echo "$expected" | sed 's/^/  expected: /'
        failures=$((failures + 1))
    fi
}

check 0 "170 72" "Изчисляване: индекс на телесната маса" \
    "Индекс на телесната маса: 24,91" "нормално тегло,"
check 1 "170 72" "Изчисляване: индекс на Брок" "Желано тегло: 65" "Наднормено тегло: 7"
check 2 "171 72" "Изчисляване: индекс на Брейтман" "Желано тегло: 69,7" "Наднормено тегло: 2,3"
check 3 "170 72 90" "Изчисляване: индекс на Борнгард" "Желано тегло: 63,75" \
    "Наднормено тегло: 8,25"
check 3 "170 60 90" "Изчисляване: индекс на Борнгард" "Желано тегло: 63,75" \
    "Можете да си позволите още: 3,75"
echo "$((5 - failures)) of 5 reports right under $locale"
[ "$failures" -eq 0 ]
