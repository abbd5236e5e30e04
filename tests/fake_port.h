// A scripted modem behind a fake port, linked in place of a serial backend
// so that the query and the decoders can be tested without a device.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct FakeModem {
  bool portOpens = true;
  // Writes fail: the device is gone.
  bool unplugged = false;
  // Reply bytes per command text (without the CR); commands not listed get
  // no reply at all.
  std::map<std::string, std::string> replies;
  // Every byte written to the port, in order.
  std::string written;
  std::vector<std::string> openedPaths;
  int closeCount = 0;
  int configureCount = 0;
  // Reply bytes not yet read (what a real port keeps queued).
  std::string queued;
  // Several devices by path: when any is listed, only those paths open, and
  // opening one makes its replies the current ones.
  std::map<std::string, std::map<std::string, std::string>> devices;
  // The timeoutMs of every reader-thread read; direct reads count apart.
  std::vector<uint32_t> readerTimeouts;
  int directReads = 0;
  // Where reads end: each read takes at most the next size listed (the
  // queue is read whole once the list is used up), as a real port ends a
  // read at a pause.
  std::vector<size_t> readSizes;
};

extern FakeModem g_Fake;

// Resets the fake and the rows; the next test starts from a clean state.
void ResetFakeModem();

// Puts `reply` into ReceiveBuffer as SendAtCommand would have left it.
void LoadReply(const std::string& reply);
