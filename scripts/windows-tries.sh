# The Windows package tried under wine beside the Linux build's run folder, sourced by
# scripts/dorvane.sh. Each try is a function given the package's copy ($1), the Linux run
# folder's copy ($2), both in folders with Chinese names, and a scratch folder ($3); it returns
# nonzero when the Windows build does not do what the Linux build does.

# A waybill file of 100 orders in GBK, as a shop's export is saved on Windows.
windows_try_orders() {
  local row
  {
    printf '收件人姓名,收件人电话,收件人地址,寄件人姓名,物品名称\r\n'
    for row in $(seq 1 100); do
      printf '张三%d,1380000%04d,浙江省杭州市西湖区文三路%d号,李四,衣服%d件\r\n' "$row" "$row" "$row" "$row"
    done
  } | iconv -f UTF-8 -t GBK
}

# Started fresh, Dorvane.exe writes its settings files byte for byte as the Linux program does,
# and registers its data source: wine has no Access driver for ODBC, so through the registry
# script, which must name the Chinese folder as the registry holds it.
try_settings_of_a_first_start() {
  local win=$1 lin=$2 work=$3 f ok=0 key='HKCU\Software\ODBC\ODBC.INI\Dorvane'
  rm -rf "$win/Set" "$lin/Set"
  mkdir "$win/Set" "$lin/Set"
  wine reg delete "$key" /f >/dev/null 2>&1 || true
  (cd "$lin" && QT_QPA_PLATFORM=offscreen timeout 10 ./Dorvane >/dev/null 2>&1) || true
  (cd "$win" && timeout 60 xvfb-run -a wine ./Dorvane.exe >/dev/null 2>&1) || true
  wineserver -k 2>/dev/null || true
  for f in FontSet.ini address.ini mould.ini set.ini; do
    if ! cmp -s "$win/Set/$f" "$lin/Set/$f"; then
      echo "Set/$f differs:"; xxd "$win/Set/$f" 2>&1 | head -5; xxd "$lin/Set/$f" | head -5
      ok=1
    fi
  done
  # The export is UTF-16 whatever the code page: the folder's name compared as characters.
  wine reg export "$key" "Z:${work//\//\\}\\dsn.reg" /y >/dev/null 2>&1 || true
  # Wine's Z: drive is the root; a .reg value doubles its backslashes.
  local folder="Z:${win//\//\\\\}"
  if ! iconv -f UTF-16 -t UTF-8 "$work/dsn.reg" 2>/dev/null | tr -d '\r' | grep -qxF "\"DefaultDir\"=\"$folder\""; then
    echo "the data source does not name $folder:"; iconv -f UTF-16 -t UTF-8 "$work/dsn.reg" 2>&1 | head -8
    ok=1
  fi
  return "$ok"
}

# dorvane-cli.exe prints 100 waybills of a GBK export to a PDF whose text is the Linux program's.
try_gbk_export_to_pdf() {
  local win=$1 lin=$2 work=$3 ok=0
  windows_try_orders > "$win/orders.csv"
  cp "$win/orders.csv" "$lin/orders.csv"
  (cd "$lin" && QT_QPA_PLATFORM=offscreen ./dorvane-cli print --csv orders.csv --pdf out.pdf >/dev/null 2>&1) || ok=1
  (cd "$win" && timeout 300 wine ./dorvane-cli.exe print --csv orders.csv --pdf out.pdf >/dev/null 2>&1) || ok=1
  wineserver -k 2>/dev/null || true
  [ "$ok" -eq 0 ] || return 1
  pdftotext "$lin/out.pdf" "$work/linux.txt" && pdftotext "$win/out.pdf" "$work/windows.txt" || return 1
  [ "$(pdfinfo "$win/out.pdf" 2>/dev/null | sed -n 's/^Pages: *//p')" = 100 ] || return 1
  cmp -s "$work/linux.txt" "$work/windows.txt" || { diff "$work/linux.txt" "$work/windows.txt" | head -10; return 1; }
}

# A waybill typed into the main window's boxes in their order from the first box, the one that
# has the focus at start (destination, sender name, origin, recipient name, sender company,
# recipient company, sender address, recipient address, sender telephone, recipient telephone,
# sender mobile, sender postcode, recipient mobile, recipient postcode, goods, pieces, sender
# signature). The recipient mobile is given at run time: it tells this try's job from others.
# Sixteen Chinese characters in all: wine gives keys that type characters no more than about
# twenty virtual keys, and a character on a key without one is lost.
windows_try_waybill=(
  '上海市' '李四' '杭州' '张三' '杭州小店' 'Dorvane Ltd' '杭州市文三路100号' '上海市大道200号'
  '0571-88886666' '021-55557777' '13800001111' '310012' MOBILE '200120' '小号' '2' '李四'
)

# Binds every character of $1 that is not ASCII to a key of the display's keyboard map that types
# nothing else (no symbol, or only a multimedia key's) and lists them in $2 as "U<hex> keycode"
# lines. A program under wine looks a key's character up again when it translates the key, by
# then xdotool's "type" has taken back the key it bound for the moment and the character is lost;
# keys that stay bound, as an input method's keyboard holds them, reach wine and Qt alike.
windows_try_bind_chars() {
  local map syms status
  map=$(mktemp)
  xkbcomp -xkb "$DISPLAY" "$map" 2>/dev/null || { rm -f "$map"; return 1; }
  syms=$(printf '%s' "$1" | LC_ALL=C tr -d '\000-\177' | iconv -f UTF-8 -t UTF-32LE | od -An -tx4 -v |
    tr -s ' ' '\n' | grep . | sort -u | sed 's/^0*//' | tr a-f A-F |
    awk '{ s = $0; while (length(s) < 4) s = "0" s; print "U" s }')
  : > "$2"
  # Pass 1 reads the key names, their codes and the keys in use; pass 2 writes the map with the
  # chosen keys bound to the characters alone.
  awk -v syms="$syms" -v keyfile="$2" '
    function keyname(line) { match(line, /<[^>]+>/); return substr(line, RSTART, RLENGTH) }
    FNR == 1 { pass++; sec = "" }
    /^xkb_keycodes/ { sec = "k" }
    /^xkb_symbols/ { sec = "s" }
    pass == 1 && sec == "k" && /^[ \t]*<[^>]+>[ \t]*=[ \t]*[0-9]+;/ {
      name = keyname($0); line = $0; sub(/.*=[ \t]*/, "", line); code[name] = line + 0; order[++keys] = name
    }
    pass == 1 && sec == "k" && /^[ \t]*alias/ { line = $0; sub(/.*=[ \t]*/, "", line); alias[keyname($0)] = keyname(line) }
    pass == 1 && sec == "s" && /^[ \t]*key[ \t]+</ {
      name = keyname($0); if (name in alias) name = alias[name]
      inner = $0; sub(/^[^[]*\[/, "", inner); sub(/\].*/, "", inner); gsub(/[ \t,]+/, " ", inner)
      spare = 1; n = split(inner, sym, " ")
      for (i = 1; i <= n; i++) if (sym[i] !~ /^(XF86|NoSymbol$)/) spare = 0
      if (!spare) taken[code[name]] = 1
    }
    pass == 1 && sec == "s" && /^};/ {
      n = split(syms, want, "\n"); k = 1
      if (n > 16) { print n " characters to bind, more than wine takes" > "/dev/stderr"; exit 1 }
      for (i = 1; i <= n; i++) {
        # Key codes from 10: xdotool reads a lone digit as the key of that digit.
        while (k <= keys && (code[order[k]] < 10 || code[order[k]] > 255 || taken[code[order[k]]])) k++
        if (k > keys) { print "no spare key for " want[i] > "/dev/stderr"; exit 1 }
        bind[order[k]] = want[i]; taken[code[order[k]]] = 1; chosen[code[order[k]]] = 1
        printf "%s %d\n", want[i], code[order[k]] > keyfile
      }
      sec = ""
    }
    pass == 2 && sec == "s" && /^[ \t]*key[ \t]+</ {
      name = keyname($0); if (name in alias) name = alias[name]
      if (code[name] in chosen) next
    }
    pass == 2 && sec == "s" && /^};/ { for (b in bind) printf "    key %s { [ %s ] };\n", b, bind[b]; sec = "" }
    pass == 2 { print }
  ' "$map" "$map" > "$map.new" && xkbcomp -w 0 "$map.new" "$DISPLAY" 2>/dev/null
  status=$?
  rm -f "$map" "$map.new"
  return "$status"
}

# The arguments of "xdotool key" that type $1 with the keys listed in $2.
windows_try_keys() {
  # Characters, not bytes, whatever the caller's locale.
  local LC_ALL=C.UTF-8
  local text=$1 i c
  for ((i = 0; i < ${#text}; i++)); do
    c=${text:i:1}
    case $c in
      [A-Za-z0-9]) printf '%s\n' "$c" ;;
      -) echo minus ;;
      ' ') echo space ;;
      *) awk -v u="$(printf 'U%04X' "'$c")" '$1 == u { print $2 }' "$2" ;;
    esac
  done
}

# Waits for Dorvane's main window on $DISPLAY and prints its id.
windows_try_main_window() {
  local i w
  for i in $(seq 1 120); do
    w=$(xdotool search --onlyvisible --name 'Halvik' 2>/dev/null | head -n1)
    [ -n "$w" ] && { echo "$w"; return 0; }
    sleep 0.5
  done
  return 1
}

# Types the waybill ($1: the recipient mobile, $2: the key list) into the main window $3 the way
# a user does, from the box that has the focus at start to the signature, and presses Enter
# there, which prints.
windows_try_type_waybill() {
  local mobile=$1 keys=$2 window=$3 text n=0 last=${#windows_try_waybill[@]}
  # There is no window manager: the window is given the keyboard as a click on it would.
  xdotool windowfocus --sync "$window" || return 1
  for text in "${windows_try_waybill[@]}"; do
    n=$((n + 1))
    [ "$text" = MOBILE ] && text=$mobile
    # shellcheck disable=SC2046 # one argument per key
    xdotool key --delay 15 $(windows_try_keys "$text" "$keys") || return 1
    if [ "$n" -lt "$last" ]; then xdotool key Tab; else xdotool key Return; fi
  done
}

# The test spooler's job of the waybill whose recipient mobile is $1, among the jobs not listed
# in $2, copied to $3; other programs print there too. Waits up to a minute.
windows_try_job() {
  local mobile=$1 before=$2 out=$3 spool=${DORVANE_TEST_OUT:-/var/spool/dorvane-test-out} i f seen
  seen=$(mktemp)
  sort "$before" > "$seen"
  for i in $(seq 1 120); do
    for f in $(ls "$spool" | grep '^job-.*\.pdf$' | sort | comm -13 "$seen" -); do
      echo "$f" >> "$seen"; sort -o "$seen" "$seen"
      if pdftotext "$spool/$f" - 2>/dev/null | grep -q "$mobile"; then
        cp "$spool/$f" "$out"; rm -f "$seen"; return 0
      fi
    done
    sleep 0.5
  done
  rm -f "$seen"
  echo "no job of the waybill $mobile reached the queue"
  return 1
}

# The words of page 1 of a PDF, one "text xMin yMin xMax yMax" line each (points from the top-left).
windows_try_words() {
  pdftotext -f 1 -l 1 -bbox "$1" - |
    sed -n 's/.*<word xMin="\([^"]*\)" yMin="\([^"]*\)" xMax="\([^"]*\)" yMax="\([^"]*\)">\(.*\)<\/word>.*/\5 \1 \2 \3 \4/p'
}

# Compares the Windows page $1 with the Linux page $2: the same paper size within $3 points, the
# same words, each with its left and right edges and its middle height within $3 points. The
# word boxes' heights are not compared: pdftotext takes them from the font's declared ascent and
# descent, which the font as Qt embeds it and as ghostscript rebuilds it from wine's PostScript
# declare differently. Prints what differs.
windows_try_same_page() {
  local win=$1 lin=$2 tolerance=$3 sizes
  sizes=$(for f in "$win" "$lin"; do pdfinfo "$f" | sed -n 's/^Page size: *\([0-9.]*\) x \([0-9.]*\) pts.*/\1 \2/p'; done)
  echo "$sizes" | awk -v t="$tolerance" 'NR == 1 { w = $1; h = $2 }
    NR == 2 { d1 = w - $1; d2 = h - $2; if (d1 < 0) d1 = -d1; if (d2 < 0) d2 = -d2
              if (d1 > t || d2 > t) { printf "paper: Windows %s x %s, Linux %s x %s points\n", w, h, $1, $2; bad = 1 } }
    END { if (NR != 2) { print "paper size unknown"; exit 1 } exit bad }' || return 1
  awk -v t="$tolerance" '
    function off(a, b) { return a - b > t || b - a > t }
    FNR == NR { n++; text[n] = $1; x0[n] = $2; x1[n] = $4; mid[n] = ($3 + $5) / 2; line[n] = $0; next }
    {
      for (i = 1; i <= n; i++)
        if (!used[i] && text[i] == $1 && !off(x0[i], $2) && !off(x1[i], $4) && !off(mid[i], ($3 + $5) / 2)) {
          used[i] = 1; next
        }
      print "Linux has " $0 "; Windows does not"; bad = 1
    }
    END {
      for (i = 1; i <= n; i++) if (!used[i]) { print "Windows has " line[i] "; Linux does not"; bad = 1 }
      exit bad
    }' <(windows_try_words "$win") <(windows_try_words "$lin")
}

# A CUPS queue $1 of the test spooler's backend (its jobs land beside dorvane-test's) whose
# driver description offers the paper of the template $2 (a .dat: its width, and its height and
# the 4 mm the job adds) with a printer's margins, and passes PDF through unchanged. Wine gives
# the raw dorvane-test, which has no description, its generic PostScript papers and takes a
# user-defined paper as the first of them it knows no Windows number of (A0); so the waybill
# goes to a printer that has the form among its papers, as a user adds the form on Windows.
windows_try_form_queue() {
  local queue=$1 dat=$2 ppd w h
  read -r w h < <(head -n1 "$dat" | awk -F, '{ printf "%d %d\n", $3 / 254 * 72 + 0.5, ($4 + 40) / 254 * 72 + 0.5 }')
  ppd=$(mktemp)
  cat > "$ppd" <<PPD
*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "DORVFORM.PPD"
*Manufacturer: "Dorvane"
*Product: "(Dorvane form test)"
*ModelName: "Dorvane form test"
*ShortNickName: "Dorvane form test"
*NickName: "Dorvane form test"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: True
*DefaultColorSpace: RGB
*FileSystem: False
*Throughput: "1"
*LandscapeOrientation: Plus90
*TTRasterizer: Type42
*cupsVersion: 2.4
*cupsFilter2: "application/pdf application/pdf 0 -"
*OpenUI *PageSize/Media Size: PickOne
*OrderDependency: 10 AnySetup *PageSize
*DefaultPageSize: Form
*PageSize Form/Waybill form: "<</PageSize[$w $h]/ImagingBBox null>>setpagedevice"
*PageSize A4/A4: "<</PageSize[595 842]/ImagingBBox null>>setpagedevice"
*CloseUI: *PageSize
*OpenUI *PageRegion: PickOne
*OrderDependency: 10 AnySetup *PageRegion
*DefaultPageRegion: Form
*PageRegion Form/Waybill form: "<</PageSize[$w $h]/ImagingBBox null>>setpagedevice"
*PageRegion A4/A4: "<</PageSize[595 842]/ImagingBBox null>>setpagedevice"
*CloseUI: *PageRegion
*DefaultImageableArea: Form
*ImageableArea Form/Waybill form: "12 12 $((w - 12)) $((h - 12))"
*ImageableArea A4/A4: "12 12 583 830"
*DefaultPaperDimension: Form
*PaperDimension Form/Waybill form: "$w $h"
*PaperDimension A4/A4: "595 842"
*DefaultFont: Courier
*Font Courier: Standard "(002.004S)" Standard ROM
PPD
  lpadmin -p "$queue" -v dorvane-test:/ -E -D "Dorvane waybill form test" -P "$ppd" 2>/dev/null &&
    cupsenable "$queue" && cupsaccept "$queue"
  local status=$?
  rm -f "$ppd"
  return "$status"
}

# Saves the sender's boxes of the main window (Alt+B, "保存寄件信息") and waits until
# Set/address.ini of the folder $1 holds them: which box each typed text went into.
windows_try_save_sender() {
  local i
  xdotool key alt+b
  for i in $(seq 1 40); do
    grep -q , "$1/Set/address.ini" 2>/dev/null && return 0
    sleep 0.25
  done
  return 1
}

# Starts the program (the command from $6 on) in the folder $2, types the waybill into its
# main window with the keys bound in $4/keys, keeps the job it prints as $4/$5 and saves the
# sender; $1 names the build in what is said when it fails.
windows_try_print_typed() {
  local name=$1 dir=$2 mobile=$3 work=$4 pdf=$5 ok=0 window pid
  shift 5
  ls "${DORVANE_TEST_OUT:-/var/spool/dorvane-test-out}" > "$work/before"
  (cd "$dir" && exec "$@" >/dev/null 2>&1) &
  pid=$!
  if window=$(windows_try_main_window) && windows_try_type_waybill "$mobile" "$work/keys" "$window"; then
    windows_try_job "$mobile" "$work/before" "$work/$pdf" || ok=1
    windows_try_save_sender "$dir" || ok=1
  else
    echo "$name: no main window to type into"; ok=1
  fi
  kill "$pid" 2>/dev/null
  # A Windows program's processes belong to wine's server; with none running this does nothing.
  wineserver -k 2>/dev/null || true
  wait "$pid" 2>/dev/null
  return "$ok"
}

# Dorvane.exe's main window typed into and printed by Enter, through wine's printer (a CUPS
# queue as Windows shows it), gives the page the Linux Dorvane gives for the same keys on the
# same queue: the same texts at the same places on paper of the same size.
try_waybill_typed_and_printed_by_enter() {
  local win=$1 lin=$2 work=$3 ok=0 mobile xvfb dir expected queue
  mobile=139$(printf '%08d' $(($(od -An -N4 -tu4 /dev/urandom) % 100000000)))
  queue=dorvane-form-$$
  windows_try_form_queue "$queue" "$lin/dataM/EMS.dat" || { echo "no queue $queue"; return 1; }
  for dir in "$win" "$lin"; do
    rm -rf "$dir/Set"; mkdir "$dir/Set"
    # The printer as the user chose it; the template EMS (the first); the first-use help off.
    printf '%s\r\n0,0,0,0\r\n' "$queue" > "$dir/Set/set.ini"
    printf '0\r\n0\r\n1\r\n' > "$dir/Set/mould.ini"
  done
  # An X server of its own that keeps the bound keys when its last client leaves.
  exec {xvfb}> "$work/display"
  Xvfb -displayfd "$xvfb" -noreset -nolisten tcp -screen 0 1280x1024x24 >/dev/null 2>&1 &
  local xvfb_pid=$!
  exec {xvfb}>&-
  local i
  for i in $(seq 1 50); do [ -s "$work/display" ] && break; sleep 0.1; done
  local DISPLAY
  export DISPLAY=:$(cat "$work/display")
  windows_try_bind_chars "$(printf '%s' "${windows_try_waybill[@]}")" "$work/keys" || ok=1

  [ "$ok" -eq 0 ] && windows_try_print_typed Linux "$lin" "$mobile" "$work" linux.pdf \
    env QT_QPA_PLATFORM=xcb ./Dorvane || ok=1
  [ "$ok" -eq 0 ] && windows_try_print_typed Windows "$win" "$mobile" "$work" windows.pdf \
    env QT_QPA_PLATFORM=windows wine ./Dorvane.exe || ok=1
  kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null
  lpadmin -x "$queue"
  [ "$ok" -eq 0 ] || return 1

  # The sender's boxes as saved: each typed text went into the box it was meant for.
  expected=$(printf '%s,%s,%s,%s,%s,%s,%s,%s,%s\r\n' "${windows_try_waybill[1]}" "${windows_try_waybill[2]}" \
    "${windows_try_waybill[4]}" "${windows_try_waybill[10]}" "${windows_try_waybill[8]}" "${windows_try_waybill[6]}" \
    "${windows_try_waybill[11]}" "${windows_try_waybill[14]}" "${windows_try_waybill[16]}" | iconv -f UTF-8 -t GBK | xxd -p)
  for dir in "$win" "$lin"; do
    if [ "$(xxd -p "$dir/Set/address.ini")" != "$expected" ]; then
      echo "$dir: the sender's boxes hold $(iconv -f GBK -t UTF-8 "$dir/Set/address.ini")"; ok=1
    fi
  done
  # Half a millimetre: wine's printer places each glyph on its 300 dpi grid with the font's
  # hinted advances, which moves a Latin word up to about a point against Qt's own layout;
  # a wrong offset, margin or paper moves every text by more.
  windows_try_same_page "$work/windows.pdf" "$work/linux.pdf" 1.5 || ok=1
  return "$ok"
}

# The tries, each on fresh copies of the package ($1) and of the Linux run folder ($2). Prints
# "tests: N passed, M failed" as the stages count them.
windows_tries() {
  local dist=$1 linux_run=$2 passed=0 failed=0 try work
  export WINEPREFIX=$root/build-windows-full/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  # A Chinese Windows: wine takes its code page (936) from the locale, which Debian ships
  # uncompiled; a UTF-8 one, as wine names the Chinese folders only in one.
  locale -a | grep -qi '^zh_CN\.utf-\?8$' || as_root localedef -i zh_CN -c -f UTF-8 zh_CN.UTF-8
  # Only for the tries: what runs after them reads the output of tools in English.
  local -x LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
  [ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
  for try in try_settings_of_a_first_start try_gbk_export_to_pdf try_waybill_typed_and_printed_by_enter; do
    work=$(mktemp -d)
    mkdir -p "$work/快递单/Windows" "$work/快递单/Linux" "$work/scratch"
    cp -r "$dist/." "$work/快递单/Windows/"
    cp -r "$linux_run/." "$work/快递单/Linux/"
    if "$try" "$work/快递单/Windows" "$work/快递单/Linux" "$work/scratch"; then
      passed=$((passed + 1)); echo "$try: passed"
    else
      failed=$((failed + 1)); echo "$try: FAILED"
    fi
    rm -rf "$work"
  done
  echo "tests: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}
