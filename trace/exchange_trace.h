// The exchange trace: every read of every exchange of one run, kept so that
// it can be written as a modem-sim profile, and a user's odd stick replayed
// (and kept as a regression test) without the stick. Portable: the
// command-line tool's --trace writes the profile to a file (trace_file.h),
// the tests and the fuzzer read it back.
#pragma once

#include <cstdint>
#include <string>

// The sink for g_App.TraceSink (see base/app_state.h): records one read.
void RecordTracedRead(const char* command, bool firstRead, const char* bytes, uint32_t count, uint32_t endMs);

// Forgets every exchange recorded so far.
void ClearTrace();

// The exchanges recorded so far as a modem-sim profile: one rule per
// command, one quoted piece per read after the wait that puts it where it
// came. The whole trace is masked as one text first (personal_numbers.h):
// the modem's bytes of all exchanges in a row, so that a number cut in two
// by a pause, even across two exchanges, is still one number, and the
// commands with them.
void FormatTraceProfile(std::string* profile);
