#!/usr/bin/env bash
# Sets up CUPS for the printing tests (run as root; safe to run again):
#  - starts cupsd when it is not running;
#  - queue "dorvane-test": raw, its backend copies each job's document unchanged to
#    /var/spool/dorvane-test-out/job-<id>.pdf (with the job title in job-<id>.title);
#    it becomes the system's default printer;
#  - queue "dorvane-pdf": a cups-pdf printer (output in the user's ~/PDF), when cups-pdf is installed.
set -euo pipefail

queue=${DORVANE_TEST_QUEUE:-dorvane-test}
pdf_queue=${DORVANE_TEST_PDF_QUEUE:-dorvane-pdf}
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
