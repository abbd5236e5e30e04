# A stick that shows its personal numbers in every form firmware writes
# them, for the masking of --trace (tests/e2e/trace_roundtrip.sh). The
# numbers are made up: IMEI 352099001761481, IMSI 250011234567890, ICCID
# 89701012345678901234, PIN 1234.

echo on

# The IMEI with a 200 ms pause in it: the rest arrives in a later read.
> AT+CGSN
"\r\nIMEI:3520990" wait 200 "01761481\r\n\r\nOK\r\n"

# Digit groups joined by dashes and by blanks.
> ATI
"\r\nManufacturer: Zentrix Telecom\r\nModel: E1550\r\nIMEI: 35-209900-176148-1\r\n"
"IMEI2: 35 209900 176148 1\r\n\r\nOK\r\n"

# The IMEI as BCD bytes: nibbles swapped after a length byte (as NV reads
# print it), and straight with commas.
> AT^NVRD=0
"\r\n^NVRD: 9,08 3A 25 90 09 10 67 41 18\r\n\r\nOK\r\n"

> AT^NVRDEX=0
"\r\n^NVRDEX: 35,20,99,00,17,61,48,1F\r\n\r\nOK\r\n"

> AT+CIMI
"\r\n250011234567890\r\n\r\nOK\r\n"

> AT^ICCID?
"\r\n^ICCID: 89701012345678901234\r\n\r\nOK\r\n"

# Commands that set a number or a PIN: their echo carries it too.
> AT+EGMR=1,7,"352099001761481"
"\r\nOK\r\n"

> AT+CPIN="1234"
"\r\nOK\r\n"

> *
"\r\nERROR\r\n"
