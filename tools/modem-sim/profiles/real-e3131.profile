# Real stick: 3G stick E3131 (firmware 21.158.13.03.112), maker invented
# (Zentrix). ATI and +CSQ as published in a public blog post on sending
# AT commands with Python (picocom session on /dev/ttyUSB0). ^SYSINFO and
# ^SYSCFG? answer with a blank after the colon, in the form the vendor's
# sticks give in ModemManager's modem-helper tests for the vendor
# ("^SYSINFO: 2,4,5,3,1,0,6", "^SYSCFG: 2,0,400000,0,3"). Echo is off, as
# the blog's terminal shows. IMEI and IMSI made up. Commands the published
# material does not show: ERROR.

echo off

> ATI
"\r\nManufacturer: zentrix\r\nModel: E3131\r\nRevision: 21.158.13.03.112\r\n"
"IMEI: 357000000000053\r\n+GCAP: +CGSM,+DS,+ES\r\n\r\nOK\r\n"

> AT+CGMI
"\r\nzentrix\r\n\r\nOK\r\n"

> AT+CGMM
"\r\nE3131\r\n\r\nOK\r\n"

> AT+CGMR
"\r\n21.158.13.03.112\r\n\r\nOK\r\n"

> AT+CIMI
"\r\n250990000000079\r\n\r\nOK\r\n"

> AT+CGSN
"\r\n357000000000053\r\n\r\nOK\r\n"

> AT+CSQ
"\r\n+CSQ: 19,99\r\n\r\nOK\r\n"

> AT^SYSINFO
"\r\n^SYSINFO: 2,4,5,3,1,0,6\r\n\r\nOK\r\n"

> AT^SYSCFG?
"\r\n^SYSCFG: 2,0,400000,0,3\r\n\r\nOK\r\n"

> *
"\r\nERROR\r\n"
