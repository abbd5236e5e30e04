# Read-timing cases for the serial tests. Echo is off so each reply is
# exactly the text below. A gap of 50 ms or more ends a read, but not an
# answer, which ends at its final result code: hence the 20 ms and 250 ms
# pauses.

echo off

> AT
"\r\nOK\r\n"

# Gaps below 50 ms: still one reply.
> AT+PIECES
"\r\nPART1" wait 20 "PART2" wait 20 "PART3\r\n\r\nOK\r\n"

# A pause of 50 ms or more ends a read after FIRST; the query's reader goes
# on to the OK, the terminal's stops there.
> AT+PAUSE
"\r\nFIRST\r\n"
wait 250
"\r\nSECOND\r\n\r\nOK\r\n"

# Longer than 65,535 bytes.
> AT+HUGE
repeat 70000 "A"
"\r\nOK\r\n"

# A NUL byte inside the reply.
> AT+NUL
"\r\nAB\x00CD\r\n\r\nOK\r\n"

# Flow-control bytes inside a reply, ending on an XOFF: on a port that
# still honoured XON/XOFF they would vanish and stop our output.
> AT+FLOW
"\r\nA\x11B\x13\r\n"

> AT+SILENT
silent

> AT+LATE
wait 1500
"\r\nLATE\r\n\r\nOK\r\n"

# A reply that begins 900 ms after the command and goes on, in pieces 30 ms
# apart, until about 1.35 s: still coming when a 1 s wait runs out.
> AT+STRADDLE
wait 900
"\r\nS0" wait 30 "S1" wait 30 "S2" wait 30 "S3" wait 30 "S4" wait 30 "S5" wait 30 "S6" wait 30 "S7"
wait 30 "S8" wait 30 "S9" wait 30 "SA" wait 30 "SB" wait 30 "SC" wait 30 "SD" wait 30 "SE\r\n\r\nOK\r\n"

# The empty command (a lone CR).
>
silent

> *
"\r\nERROR\r\n"
