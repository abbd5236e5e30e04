# A slow serial bridge: every answer byte comes 40 ms after the one before.
# The gaps stay under the 50 ms that end a read, so each answer is still
# read whole; some answers have no final result code (OK), and end after
# the reader's longer quiet. Answers are kept short: a query takes about 15 s.

echo off
drip 40

> ATE0
"\r\nOK\r\n"

> AT+CGMI
"\r\nNorvik\r\n"

> AT+CGMM
"\r\nE173\r\n"

> AT+CSQ
"\r\n+CSQ: 17,99\r\n"

> AT^SYSINFO
"\r\n^SYSINFO:2,3,0,5,1,,4\r\n"

> AT^CARDLOCK?
"\r\n^CARDLOCK: 2,10,0\r\n"

> *
"\r\nERROR\r\n"
