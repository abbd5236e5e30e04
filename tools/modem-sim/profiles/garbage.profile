# A device that answers with NUL bytes and binary noise mixed into its
# lines: a value ends at its first NUL, and nothing is read past the reply.

echo off

> ATI
"\r\nManufacturer: Zen\x00trix\r\nModel: \xff\xfe\x01\x02\x7f\x80\r\n+GCAP: \"\x1b[31m\\\"\r\n\r\nOK\r\n"

> AT+CGMI
"\x00\x00\x00\r\nhidden\r\n"

> AT+CGMM
"\r\n\x01\x02\x03E1550\x04\r\n\r\nOK\r\n"

> AT^SYSINFO
"\r\n^SYSINFO:\xff,\x00,3\r\n"

> AT+CSQ
"\r\n+CSQ: \x00 20,99\r\n"

> AT+COPS?
"\r\n+COPS: 0,0,\"\xc0\xc1\xc2,\"\r\n"

> AT^CARDLOCK?
"\r\n^CARDLOCK: \xff\xff\xff,\x00\r\n"

> *
"\xde\xad\xbe\xef\r\n"
