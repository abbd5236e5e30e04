# A device that opens like a modem port but never sends a single byte: no
# echo, no answers, not even to ATE0/ATE1 (which would otherwise get the
# built-in OK). Stands in for a dead modem or the wrong port.

echo off locked

> ATE0
silent

> ATE1
silent

>
silent

> *
silent
