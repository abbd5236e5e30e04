// A scripted modem behind a fake port, linked in place of a serial backend
// so that the query, the scan and the decoders run without a device (the
// unit tests and the fuzz harness of the query share it).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

using FakeReplies = std::map<std::string, std::string>;

struct FakeModem {
  bool portOpens = true;
  bool unplugged = false;  // writes fail: the device is gone
  // Reply bytes per command text (without the CR); commands not listed get
  // no reply at all.
  FakeReplies replies;
  // Replies owed until lateBy more commands were written, as a stick that
  // answers in order gives the later commands' replies after them.
  FakeReplies lateReplies;
  int lateBy = 1;
  std::string owed;
  int owedFor = 0;
  int answersLeft = -1;  // commands answered before the stick falls silent (-1: no end)
  // Several devices by path: when any is listed, only those paths open, and
  // opening one makes its replies the current ones.
  std::map<std::string, FakeReplies> devices;
  std::string written;                   // every byte written to the port, in order
  std::string queued;                    // reply bytes not yet read
  std::vector<std::string> openedPaths;  // every open tried
  int openCount = 0;                     // opens that succeeded
  int closeCount = 0;
  int configureCount = 0;
  int foreignHandles = 0;            // calls with a handle this port never gave out
  std::vector<uint32_t> readBounds;  // the bound of every read, in order
  size_t cutRead = 0;                // the read (1 for the first) its bound cuts short mid-reply; 0: none
  // Each read takes at most the next size listed (then the whole queue), as
  // a real port ends a read at a pause.
  std::vector<size_t> readSizes;
  // A form feed in a reply is a pause: the read ends before it and drops it
  // (the fuzz harness puts reports in reads of their own this way).
  bool formFeedPauses = false;
  int threadStarts = -1;  // thread starts that succeed (-1: all); the rest are refused
  int opensOnCaller = 0;  // ports opened on the calling thread, not on a started job thread
  // Device numbers by path: paths with the same number lead to the same
  // device (a link and its target); unlisted paths give 0.
  std::map<std::string, uint64_t> deviceIds;
};

extern FakeModem g_Fake;

// Resets the fake and the rows: the next test starts from a clean state.
void ResetFakeModem();

// Puts `reply` into ReceiveBuffer as a read would have left it: at most
// 65,535 bytes, NULs kept, zeros after it.
void LoadReply(const std::string& reply);
