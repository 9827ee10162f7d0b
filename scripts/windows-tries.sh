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

# The tries, each on fresh copies of the package ($1) and of the Linux run folder ($2). Prints
# "tests: N passed, M failed" as the stages count them.
windows_tries() {
  local dist=$1 linux_run=$2 passed=0 failed=0 try work
  export WINEPREFIX=$root/build-windows-full/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  # A Chinese Windows: wine takes its code page (936) from the locale, which Debian ships
  # uncompiled.
  locale -a | grep -qi '^zh_CN\.utf-\?8$' || as_root localedef -i zh_CN -c -f UTF-8 zh_CN.UTF-8
  export LANG=zh_CN.UTF-8
  [ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
  for try in try_settings_of_a_first_start try_gbk_export_to_pdf; do
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
