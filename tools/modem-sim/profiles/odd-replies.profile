# A modem with a firmware of its own: short replies, codes the tables do not
# know, an operator name with a comma inside its quotes, a band mask in
# lower case, a lock code 0, a version reply without its EXTD line, and a
# firmware text with quotes, a backslash and a control byte in it (for the
# JSON output). No +GCAP line in ATI, and AT^FHVER is not supported.

echo on

> AT
"\r\nOK\r\n"

> ATI
"\r\nManufacturer: Kestrel Systems\r\nModel: K3520\r\nRevision: 2.0\r\n"
"IMEI: 354000000000066\r\n\r\nOK\r\n"

> AT^FHVER
"\r\nERROR\r\n"

> AT+CGMI
"\r\nOK\r\n"

> AT+CGMM
"\r\n\"K3520\"\r\n\r\nOK\r\n"

> AT+CGMR
"\r\n2.0.\"beta\"\\build\x01x\r\n\r\nOK\r\n"

> AT+CIMI
"\r\n250990000000006\r\n\r\nOK\r\n"

> AT+CGSN
"\r\nOK\r\n"

> AT^HWVER
"\r\n^HWVER: \"K3520-HW\"\r\n\r\nOK\r\n"

> AT^SYSINFO
"\r\n^SYSINFO:4,1,0,6,2,0,19\r\n\r\nOK\r\n"

> AT+CPIN?
"\r\n+CPIN: SIM PIN\r\n\r\nOK\r\n"

> AT+CFUN?
"\r\n+CFUN: 7\r\n\r\nOK\r\n"

> AT+CSQ
"\r\n+CSQ: 31,0\r\n\r\nOK\r\n"

> AT+COPS?
"\r\n+COPS: 4,0,\"Alpha, Beta\",2\r\n\r\nOK\r\n"

> AT^SYSCFG?
"\r\n^SYSCFG:2,1,3fffffff,0\r\n\r\nOK\r\n"

> AT^VERSION?
"\r\n^VERSION:BDT:Jan 01 2010, 00:00:01\r\n\r\nOK\r\n"

> AT^CARDLOCK?
"\r\n^CARDLOCK: 0,10,0\r\n\r\nOK\r\n"
