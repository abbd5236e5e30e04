// The serial backend of the fuzz build: a modem whose replies come from the
// fuzzer's input. Each command of the query sequence has one reply, queued
// when the command is written, as a real port would hold it.
#pragma once

#include <cstddef>
#include <cstdint>

// Opening this path fails, like a port that is gone; every other path opens.
constexpr const char* kAbsentModemPath = "fuzz/absent";

// A reply may be longer than one read takes (65,535 bytes): the rest stays
// queued and comes first in the next command's read.
constexpr size_t kMaxFuzzReplyLength = 70000;

// Splits the input into the replies of the 17 commands, in query order. Each
// reply is a 2-byte little-endian length, a repeat byte and that many bytes,
// sent (repeat + 1) times and cut at kMaxFuzzReplyLength, so that a short
// input still reaches the long replies. Replies the input does not reach are
// empty: the command gets no answer.
void LoadFuzzReplies(const uint8_t* data, size_t size);

// Opens and closes so far, to check that every opened port is closed again.
int32_t FuzzPortOpenCount();
int32_t FuzzPortCloseCount();
