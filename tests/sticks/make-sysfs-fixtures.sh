#!/usr/bin/env bash
# Builds the fixture trees of the stick detection: for each case a folder
# with sys/ (what the Linux reader looks at) and proc/net/route, as the kernel
# shows real sticks of the modem vendor in each state. The layouts (USB IDs,
# interface classes, drivers) follow the lsusb -v listings posted in the
# usb_modeswitch and OpenWrt forums and the usb-modeswitch-data reference:
# E1550 as CD-ROM (12d1:1446) and as modem (12d1:1001, ttyUSB0..2 on the
# option driver, or unbound), E3372h on router firmware (12d1:14dc, cdc_ether).
# Usage: make-sysfs-fixtures.sh OUTDIR   (makes OUTDIR/CASE for every case)
set -eu
out=$1
rm -rf "$out"
mkdir -p "$out"
usb=pci0000:00/0000:00:14.0/usb1

# device CASE NAME VID PID INTERFACE...: the device folder under sys/devices
# and its link in sys/bus/usb/devices, as sysfs has them, with interfaces
# NAME:1.0, 1.1... Each INTERFACE is "CLASS SUBCLASS PROTOCOL DRIVER|- [CHILD]",
# CHILD ttyUSBn (usb-serial's port folder), ttyACMn (in tty/) or net:NAME.
device() {
  local case=$1 name=$2 dir="$out/$1/sys/devices/$usb/$2" n=0 part class sub proto driver child
  mkdir -p "$dir" "$out/$case/sys/bus/usb/devices" "$out/$case/proc/net"
  printf '%s\n' "$3" >"$dir/idVendor"
  printf '%s\n' "$4" >"$dir/idProduct"
  ln -sfn "../../../devices/$usb/$name" "$out/$case/sys/bus/usb/devices/$name"
  [ -f "$out/$case/proc/net/route" ] ||
    printf 'Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n' \
      >"$out/$case/proc/net/route"
  shift 4
  for part in "$@"; do
    read -r class sub proto driver child <<<"$part"
    local idir="$dir/$name:1.$n"
    mkdir -p "$idir"
    printf '%s\n' "$class" >"$idir/bInterfaceClass"
    printf '%s\n' "$sub" >"$idir/bInterfaceSubClass"
    printf '%s\n' "$proto" >"$idir/bInterfaceProtocol"
    [ "$driver" = - ] || ln -sfn "../../../../../../bus/usb/drivers/$driver" "$idir/driver"
    case "$child" in
      ttyUSB*) mkdir -p "$idir/$child" ;;
      ttyACM*) mkdir -p "$idir/tty/$child" ;;
      net:*) mkdir -p "$idir/net/${child#net:}" ;;
    esac
    ln -sfn "../../../devices/$usb/$name/$name:1.$n" "$out/$case/sys/bus/usb/devices/$name:1.$n"
    n=$((n + 1))
  done
}

route() { printf '%s\n' "$2" >>"$out/$1/proc/net/route"; }

# Every machine has its root hub and some other device.
others() {
  device "$1" usb1 1d6b 0002 "09 00 00 hub"
  device "$1" 1-9 046d c31c "03 01 01 usbhid"
  route "$1" $'eth0\t00000000\t0100000A\t0003\t0\t0\t100\t00000000\t0\t0\t0'
  route "$1" $'eth0\t0000000A\t00000000\t0001\t0\t0\t100\t00FFFFFF\t0\t0\t0'
}

e1550_storage() { device "$1" "$2" 12d1 1446 "08 06 50 usb-storage"; }

# e1550_modem CASE DEVICE option|-: with the option driver or unbound.
e1550_modem() {
  local tty=ttyUSB
  [ "$3" = option ] || tty=
  device "$1" "$2" 12d1 1001 "ff ff ff $3 ${tty:+${tty}0}" "ff ff ff $3 ${tty:+${tty}1}" \
    "ff ff ff $3 ${tty:+${tty}2}" "08 06 50 usb-storage" "08 06 50 usb-storage"
}

e3372_router() {
  device "$1" "$2" 12d1 14dc "02 06 00 cdc_ether net:usb0" "0a 00 00 cdc_ether" "08 06 50 usb-storage"
  route "$1" $'usb0\t00000000\t0108A8C0\t0003\t0\t0\t700\t00000000\t0\t0\t0'
  route "$1" $'usb0\t0008A8C0\t00000000\t0001\t0\t0\t700\t00FFFFFF\t0\t0\t0'
}

# 400 other devices and sticks first, in between and last: whatever order the
# folder lists its entries in, some sticks come after more than 256 others.
many_devices() {
  # In bulk (one mkdir, one ln, the rest shell builtins): a few thousand
  # processes would cost the test run many seconds.
  local i base="$out/$1/sys/devices/$usb" dirs=() links=()
  for i in $(seq 1 400); do
    dirs+=("$base/2-1.$i/2-1.$i:1.0")
    links+=("../../../devices/$usb/2-1.$i" "../../../devices/$usb/2-1.$i/2-1.$i:1.0")
  done
  mkdir -p "${dirs[@]}"
  for i in $(seq 1 400); do
    printf '0bda\n' >"$base/2-1.$i/idVendor"
    printf '0129\n' >"$base/2-1.$i/idProduct"
    printf '03\n' >"$base/2-1.$i/2-1.$i:1.0/bInterfaceClass"
    printf '01\n' >"$base/2-1.$i/2-1.$i:1.0/bInterfaceSubClass"
    printf '02\n' >"$base/2-1.$i/2-1.$i:1.0/bInterfaceProtocol"
    [ $((i % 100)) -ne 0 ] || e1550_storage "$1" "4-$((i / 100))"
  done
  (cd "$out/$1/sys/bus/usb/devices" && ln -s "${links[@]}" .)
}

others storage;   e1550_storage storage 1-1
others router;    e3372_router router 1-1
others ports;     e1550_modem ports 1-1 option
others no-driver; e1550_modem no-driver 1-1 -
others no-stick
others two;       e1550_storage two 1-1; e3372_router two 1-2
others many;      e1550_modem many 1-1 option; many_devices many; e3372_router many 3-1
