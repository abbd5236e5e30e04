# Read-timing cases for the serial tests. Echo is off so each reply is
# exactly the text below. The reader treats a gap of 50 ms or more as the
# end of a reply, hence the 20 ms and 250 ms pauses.

echo off

> AT
"\r\nOK\r\n"

# Gaps below 50 ms: still one reply.
> AT+PIECES
"\r\nPART1" wait 20 "PART2" wait 20 "PART3\r\n\r\nOK\r\n"

# A pause of 50 ms or more: the reader stops after FIRST.
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

# The empty command (a lone CR).
>
silent

> *
"\r\nERROR\r\n"
