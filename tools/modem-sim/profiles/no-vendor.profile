# A plain modem, model M21-4 from the invented maker Norvik: it knows the
# standard 3GPP commands only. Every vendor "^" command (and anything else
# it does not know) gets ERROR through the fallback rule.

echo on

> AT
"\r\nOK\r\n"

> ATI
"\r\nNorvik\r\nM21-4\r\nRevision: 4.2.1\r\n\r\nOK\r\n"

> AT+CGMI
"\r\nNorvik\r\n\r\nOK\r\n"

> AT+CGMM
"\r\nM21-4\r\n\r\nOK\r\n"

> AT+CGMR
"\r\n4.2.1\r\n\r\nOK\r\n"

> AT+CIMI
"\r\n250990000000003\r\n\r\nOK\r\n"

> AT+CGSN
"\r\n354000000000033\r\n\r\nOK\r\n"

> AT+CPIN?
"\r\n+CPIN: READY\r\n\r\nOK\r\n"

> AT+CFUN?
"\r\n+CFUN: 1\r\n\r\nOK\r\n"

> AT+CSQ
"\r\n+CSQ: 15,99\r\n\r\nOK\r\n"

> AT+COPS?
"\r\n+COPS: 0,0,\"Alpha Net\",2\r\n\r\nOK\r\n"

> *
"\r\nERROR\r\n"
