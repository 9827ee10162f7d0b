#!/usr/bin/env bash
# Sets up CUPS for the printing tests (run as root; safe to run again):
#  - starts cupsd when it is not running;
#  - queue "dorvane-test": raw, its backend copies each job's document unchanged to
#    /var/spool/dorvane-test-out/job-<id>.pdf (with the job title in job-<id>.title);
#    it becomes the system's default printer;
#  - queue "dorvane-test-margins": the same backend behind a driver description that keeps
#    unprintable margins (left 12, bottom 14, right 10, top 8 points), as a real printer does;
#    the PDF still reaches the backend unchanged;
#  - queue "dorvane-pdf": a cups-pdf printer (output in the user's ~/PDF), when cups-pdf is installed;
#  - queue "dorvane-label": a thermal label printer, CUPS's own ZPL driver (Zebra, 203 dpi) in
#    front of a backend of its own, "dorvane-label", that keeps the ZPL the driver made as
#    /var/spool/dorvane-test-out/label-<id>.zpl.
set -euo pipefail

queue=${DORVANE_TEST_QUEUE:-dorvane-test}
margins_queue=${DORVANE_TEST_MARGINS_QUEUE:-dorvane-test-margins}
pdf_queue=${DORVANE_TEST_PDF_QUEUE:-dorvane-pdf}
label_queue=${DORVANE_TEST_LABEL_QUEUE:-dorvane-label}
out=${DORVANE_TEST_OUT:-/var/spool/dorvane-test-out}
backend_dir=/usr/lib/cups/backend
backend=$backend_dir/dorvane-test

if [ "$(id -u)" -ne 0 ]; then
  echo "cups-test-setup.sh must run as root" >&2
  exit 1
fi

mkdir -p "$out"
chmod 0777 "$out"

# The backend: with no arguments CUPS asks it to describe itself.
cat > "$backend.tmp" <<BACKEND
#!/bin/sh
# CUPS backend for Dorvane's tests: keeps each job's document exactly as it was sent.
if [ \$# -eq 0 ]; then
  echo 'direct dorvane-test "Unknown" "Dorvane test output (copies jobs to $out)"'
  exit 0
fi
name="$out/job-\$1"
if [ -n "\$6" ]; then
  cp "\$6" "\$name.part"
else
  cat > "\$name.part"
fi
printf '%s\n' "\$3" > "\$name.title"
chmod 0644 "\$name.part" "\$name.title"
mv "\$name.part" "\$name.pdf"
exit 0
BACKEND
chmod 0700 "$backend.tmp"
mv "$backend.tmp" "$backend"

running() { lpstat -r 2>/dev/null | grep -q "is running"; }
if ! running; then
  if command -v cupsd >/dev/null 2>&1; then cupsd; else /usr/sbin/cupsd; fi
  for _ in $(seq 1 50); do
    running && break
    sleep 0.2
  done
  running || { echo "cupsd did not start" >&2; exit 1; }
fi

# -E enables the queue and accepts jobs; no -m/-P: the queue is raw (no filter at all).
lpadmin -p "$queue" -v dorvane-test:/ -E -D "Dorvane test output"
cupsenable "$queue"
cupsaccept "$queue"

# A PDF printer with margins: the PDF goes to the backend as it is ("-": no filter), and the
# printing program learns the margins from HWMargins (custom paper) and ImageableArea.
margins_ppd=$(mktemp)
cat > "$margins_ppd" <<'PPD'
*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "DORVMRG.PPD"
*Manufacturer: "Dorvane"
*Product: "(Dorvane margins test)"
*ModelName: "Dorvane margins test"
*ShortNickName: "Dorvane margins test"
*NickName: "Dorvane margins test"
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
*HWMargins: 12 14 10 8
*VariablePaperSize: True
*MaxMediaWidth: 100000
*MaxMediaHeight: 100000
*NonUIOrderDependency: 100 AnySetup *CustomPageSize
*CustomPageSize True: "pop pop pop <</PageSize [5 -2 roll]>>setpagedevice"
*ParamCustomPageSize Width: 1 points 36 100000
*ParamCustomPageSize Height: 2 points 36 100000
*ParamCustomPageSize Orientation: 3 int 0 3
*ParamCustomPageSize WidthOffset: 4 points 0 0
*ParamCustomPageSize HeightOffset: 5 points 0 0
*OpenUI *PageSize/Media Size: PickOne
*OrderDependency: 10 AnySetup *PageSize
*DefaultPageSize: A4
*PageSize A4/A4: "<</PageSize[595 842]/ImagingBBox null>>setpagedevice"
*CloseUI: *PageSize
*OpenUI *PageRegion: PickOne
*OrderDependency: 10 AnySetup *PageRegion
*DefaultPageRegion: A4
*PageRegion A4/A4: "<</PageSize[595 842]/ImagingBBox null>>setpagedevice"
*CloseUI: *PageRegion
*DefaultImageableArea: A4
*ImageableArea A4/A4: "12 14 585 834"
*DefaultPaperDimension: A4
*PaperDimension A4/A4: "595 842"
*DefaultFont: Courier
*Font Courier: Standard "(002.004S)" Standard ROM
PPD
lpadmin -p "$margins_queue" -v dorvane-test:/ -E -D "Dorvane test output, with margins" -P "$margins_ppd"
rm -f "$margins_ppd"
cupsenable "$margins_queue"
cupsaccept "$margins_queue"

# The label printer: the PDF is rasterised at the driver's 203 dpi and sent as a ZPL graphic,
# which its backend keeps.
label_backend=$backend_dir/dorvane-label
cat > "$label_backend.tmp" <<BACKEND
#!/bin/sh
# CUPS backend for Dorvane's tests: keeps each label job's ZPL as the driver made it.
if [ \$# -eq 0 ]; then
  echo 'direct dorvane-label "Unknown" "Dorvane test label output (copies ZPL to $out)"'
  exit 0
fi
name="$out/label-\$1"
if [ -n "\$6" ]; then
  cp "\$6" "\$name.part"
else
  cat > "\$name.part"
fi
chmod 0644 "\$name.part"
mv "\$name.part" "\$name.zpl"
exit 0
BACKEND
chmod 0700 "$label_backend.tmp"
mv "$label_backend.tmp" "$label_backend"
lpadmin -p "$label_queue" -v dorvane-label:/ -E -D "Dorvane test label printer (ZPL)" \
  -m drv:///sample.drv/zebra.ppd -o Resolution=203dpi -o PageSize=w288h432 2>/dev/null
cupsenable "$label_queue"
cupsaccept "$label_queue"

ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
if [ -e "$backend_dir/cups-pdf" ] && [ -e "$ppd" ]; then
  lpadmin -p "$pdf_queue" -v cups-pdf:/ -E -P "$ppd"
fi

lpoptions -d "$queue" >/dev/null
lpadmin -d "$queue"

# Wait until the default is visible to clients.
for _ in $(seq 1 25); do
  lpstat -d 2>/dev/null | grep -q ": $queue\$" && break
  sleep 0.2
done
lpstat -d
