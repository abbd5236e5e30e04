# LTE stick E3372 in stick firmware (an AT port, no web interface), on LTE;
# maker invented (Zentrix). The LTE firmware refuses AT^SYSINFO and
# AT^SYSCFG? in LTE mode with COMMAND NOT SUPPORT, as users' published AT
# logs of these sticks in public forum threads show; ^SYSINFOEX, ^SYSCFGEX
# and ^HCSQ in the forms of the modem vendor's published AT command manual
# for its LTE sticks, with its example values ("00",3FFFFFFF,1,2,800C5 and
# "LTE",48,35,86,14). +CSQ follows the LTE RSSI; +COPS? names access
# technology 7. Firmware version, IMEI, IMSI and operator made up. Every
# command not listed gets COMMAND NOT SUPPORT.

echo on

> ATI
"\r\nManufacturer: zentrix\r\nModel: E3372\r\nRevision: 22.323.01.00.00\r\n"
"IMEI: 866785000000049\r\n+GCAP: +CGSM,+DS,+ES\r\n\r\nOK\r\n"

> AT^FHVER
"\r\n^FHVER:\"E3372h-153 22.323.01.00.00,CL2E3372HM Ver.A\"\r\n\r\nOK\r\n"

> AT+CGMI
"\r\nzentrix\r\n\r\nOK\r\n"

> AT+CGMM
"\r\nE3372\r\n\r\nOK\r\n"

> AT+CGMR
"\r\n22.323.01.00.00\r\n\r\nOK\r\n"

> AT+CIMI
"\r\n250990000000064\r\n\r\nOK\r\n"

> AT+CGSN
"\r\n866785000000049\r\n\r\nOK\r\n"

> AT^HWVER
"\r\n^HWVER:\"CL2E3372HM Ver.A\"\r\n\r\nOK\r\n"

> AT^SYSINFO
"\r\nCOMMAND NOT SUPPORT\r\n"

> AT^SYSINFOEX
"\r\n^SYSINFOEX:2,3,0,1,,6,\"LTE\",101,\"LTE\"\r\n\r\nOK\r\n"

> AT+CPIN?
"\r\n+CPIN: READY\r\n\r\nOK\r\n"

> AT+CFUN?
"\r\n+CFUN: 1\r\n\r\nOK\r\n"

> AT+CSQ
"\r\n+CSQ: 20,99\r\n\r\nOK\r\n"

> AT+COPS?
"\r\n+COPS: 0,0,\"Alpha Net\",7\r\n\r\nOK\r\n"

> AT^HCSQ?
"\r\n^HCSQ: \"LTE\",48,35,86,14\r\n\r\nOK\r\n"

> AT^SYSCFG?
"\r\nCOMMAND NOT SUPPORT\r\n"

> AT^SYSCFGEX?
"\r\n^SYSCFGEX: \"00\",3FFFFFFF,1,2,800C5\r\n\r\nOK\r\n"

> AT^VERSION?
"\r\n^VERSION:BDT:Jun 11 2016, 18:13:03\r\n^VERSION:EXTS:22.323.01.00.00\r\n"
"^VERSION:EXTD:UPDATE_16.200.15.00.00\r\n^VERSION:EXTH:CL2E3372HM Ver.A\r\n\r\nOK\r\n"

> AT^CARDLOCK?
"\r\n^CARDLOCK: 2,10,0\r\n\r\nOK\r\n"

> *
"\r\nCOMMAND NOT SUPPORT\r\n"
