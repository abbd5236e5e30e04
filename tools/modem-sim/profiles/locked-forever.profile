# An E173 stick whose network lock has run out of attempts: locked for ever.
# Registered manually in a roaming network on GSM with EDGE, weak signal,
# configured for 2G only on the DCS band.

echo on

> AT
"\r\nOK\r\n"

> ATI
"\r\nManufacturer: Norvik\r\nModel: E173\r\nRevision: 21.017.09.00.314\r\n"
"IMEI: 354000000000041\r\n+GCAP: +CGSM,+DS,+ES\r\n\r\nOK\r\n"

> AT^FHVER
"\r\n^FHVER:\"E173 21.017.09.00.314,CH2E173M\"\r\n\r\nOK\r\n"

> AT+CGMI
"\r\nNorvik\r\n\r\nOK\r\n"

> AT+CGMM
"\r\nE173\r\n\r\nOK\r\n"

> AT+CGMR
"\r\n21.017.09.00.314\r\n\r\nOK\r\n"

> AT+CIMI
"\r\n250990000000004\r\n\r\nOK\r\n"

> AT+CGSN
"\r\n354000000000041\r\n\r\nOK\r\n"

> AT^HWVER
"\r\n^HWVER:\"CH2E173M\"\r\n\r\nOK\r\n"

> AT^SYSINFO
"\r\n^SYSINFO:2,2,1,3,1,1,3\r\n\r\nOK\r\n"

> AT+CPIN?
"\r\n+CPIN: READY\r\n\r\nOK\r\n"

> AT+CFUN?
"\r\n+CFUN: 5\r\n\r\nOK\r\n"

> AT+CSQ
"\r\n+CSQ: 9,99\r\n\r\nOK\r\n"

> AT+COPS?
"\r\n+COPS: 1,2,\"25099\",0\r\n\r\nOK\r\n"

> AT^SYSCFG?
"\r\n^SYSCFG:13,1,80,1,2\r\n\r\nOK\r\n"

> AT^VERSION?
"\r\n^VERSION:BDT:Jul 30 2012, 09:15:02\r\n^VERSION:EXTD:UTPS11.302.09.00.314\r\n\r\nOK\r\n"

> AT^CARDLOCK?
"\r\n^CARDLOCK: 3,0,0\r\n\r\nOK\r\n"
