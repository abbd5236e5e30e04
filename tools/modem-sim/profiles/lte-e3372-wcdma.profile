# LTE stick E3372 in stick firmware, fallen back to WCDMA where it finds no
# LTE cell; maker invented (Zentrix). This firmware refuses AT^SYSINFO and
# AT^SYSCFG? in every mode with COMMAND NOT SUPPORT, as users' published AT
# logs of these sticks in public forum threads show. ^SYSINFOEX (WCDMA,
# sub-mode 45 HSPA+) and ^SYSCFGEX in the forms of the modem vendor's
# published AT command manual for its LTE sticks: search order LTE, then
# WCDMA, then GSM, every band. +COPS? names access technology 2 (UTRAN),
# so the query asks for no LTE measurements. Firmware version, IMEI, IMSI
# and operator made up. Every command not listed gets COMMAND NOT SUPPORT.

echo on

> ATI
"\r\nManufacturer: zentrix\r\nModel: E3372\r\nRevision: 22.200.15.00.00\r\n"
"IMEI: 866785000000056\r\n+GCAP: +CGSM,+DS,+ES\r\n\r\nOK\r\n"

> AT^FHVER
"\r\n^FHVER:\"E3372h-153 22.200.15.00.00,CL2E3372HM Ver.A\"\r\n\r\nOK\r\n"

> AT+CGMI
"\r\nzentrix\r\n\r\nOK\r\n"

> AT+CGMM
"\r\nE3372\r\n\r\nOK\r\n"

> AT+CGMR
"\r\n22.200.15.00.00\r\n\r\nOK\r\n"

> AT+CIMI
"\r\n250990000000078\r\n\r\nOK\r\n"

> AT+CGSN
"\r\n866785000000056\r\n\r\nOK\r\n"

> AT^HWVER
"\r\n^HWVER:\"CL2E3372HM Ver.A\"\r\n\r\nOK\r\n"

> AT^SYSINFO
"\r\nCOMMAND NOT SUPPORT\r\n"

> AT^SYSINFOEX
"\r\n^SYSINFOEX:2,3,0,1,,3,\"WCDMA\",45,\"HSPA+\"\r\n\r\nOK\r\n"

> AT+CPIN?
"\r\n+CPIN: READY\r\n\r\nOK\r\n"

> AT+CFUN?
"\r\n+CFUN: 1\r\n\r\nOK\r\n"

> AT+CSQ
"\r\n+CSQ: 17,99\r\n\r\nOK\r\n"

> AT+COPS?
"\r\n+COPS: 0,0,\"Beta Mobile\",2\r\n\r\nOK\r\n"

> AT^SYSCFG?
"\r\nCOMMAND NOT SUPPORT\r\n"

> AT^SYSCFGEX?
"\r\n^SYSCFGEX: \"030201\",3FFFFFFF,1,2,7FFFFFFFFFFFFFFF\r\n\r\nOK\r\n"

> AT^VERSION?
"\r\n^VERSION:BDT:Jun 11 2016, 18:13:03\r\n^VERSION:EXTS:22.200.15.00.00\r\n"
"^VERSION:EXTD:UPDATE_16.200.15.00.00\r\n^VERSION:EXTH:CL2E3372HM Ver.A\r\n\r\nOK\r\n"

> AT^CARDLOCK?
"\r\n^CARDLOCK: 2,10,0\r\n\r\nOK\r\n"

> *
"\r\nCOMMAND NOT SUPPORT\r\n"
