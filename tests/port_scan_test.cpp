// The port scan against scripted devices, and the selector entry texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "report/report_rows.h"
#include "serial/port_scan.h"
#include "tests/test_support.h"

namespace {

using ScanModemPortsTest = FakeModemTest;
using ModemEntries = FakeModemTest;

FakeReplies Answering(const std::string& modelReply) {
  return {{"ATE0", "\r\nOK\r\n"}, {"AT+CGMM", modelReply}};
}
FakeReplies Model(const std::string& name) { return Answering("\r\n" + name + "\r\n\r\nOK\r\n"); }

// The paths opened, shortest first (COM9 before COM10): the fake runs the
// probes in no fixed order.
std::vector<std::string> Opened() {
  std::vector<std::string> opened = g_Fake.openedPaths;
  std::sort(opened.begin(), opened.end(), [](const std::string& a, const std::string& b) {
    return a.size() != b.size() ? a.size() < b.size() : a < b;
  });
  return opened;
}

std::vector<std::string> Entries() {
  std::vector<std::string> entries;
  char entry[kShortTextSize];
  for (int32_t slot = 0; slot < g_App.ModemCount; ++slot) {
    FormatModemEntry(slot, entry, sizeof entry);
    entries.push_back(entry);
  }
  return entries;
}

// Every port probed once, on the threads that did start when any did (-1:
// all start), each modem's port closed again.
TEST_F(ScanModemPortsTest, ProbesCom1ToCom254OnceEachAndListsTheModemsInOrder) {
  std::vector<std::string> all;
  for (int n = 1; n <= 254; ++n) all.push_back("\\\\.\\COM" + std::to_string(n));
  for (int threads : {-1, 0, 1, 2, 253}) {
    ResetFakeModem();
    g_Fake.threadStarts = threads;
    g_Fake.devices["\\\\.\\COM12"] = Model("E173");
    g_Fake.devices["\\\\.\\COM3"] = Model("E1550");
    g_Fake.devices["\\\\.\\COM254"] = Model("E3372");
    g_Fake.devices["\\\\.\\COM255"] = Model("NEVER");
    ScanModemPorts();
    EXPECT_EQ(Entries(), (std::vector<std::string>{"E1550 (COM3)", "E173 (COM12)", "E3372 (COM254)"}))
        << threads;
    EXPECT_EQ(Opened(), all) << threads;
    EXPECT_EQ(g_Fake.opensOnCaller, threads == 0 ? 254 : 0) << threads;
    EXPECT_EQ(g_Fake.written, "ATE0\rAT+CGMM\rATE0\rAT+CGMM\rATE0\rAT+CGMM\r");
    EXPECT_EQ(g_Fake.readBounds, std::vector<uint32_t>(6, 1000));
    EXPECT_EQ(g_Fake.closeCount, 3);
  }
}

// A rescan probes only the ports it names: the modems listed stay, the new
// ones take their places by port number.
TEST_F(ScanModemPortsTest, AddingModemsProbesOnlyTheGivenPorts) {
  g_Fake.devices["\\\\.\\COM3"] = Model("E1550");
  g_Fake.devices["\\\\.\\COM5"] = Answering("");
  g_Fake.devices["\\\\.\\COM12"] = Model("E173");
  g_Fake.devices["\\\\.\\COM20"] = Model("E3372");
  const int32_t listed[] = {3, 20};
  g_App.ModemCount = 0;
  AddModemsOnPorts(listed, 2);
  g_Fake.openedPaths.clear();
  const int32_t added[] = {5, 12};
  AddModemsOnPorts(added, 2);
  EXPECT_EQ(Entries(), (std::vector<std::string>{"E1550 (COM3)", "E173 (COM12)", "E3372 (COM20)"}));
  EXPECT_EQ(Opened(), (std::vector<std::string>{"\\\\.\\COM5", "\\\\.\\COM12"}));
}

TEST_F(ScanModemPortsTest, WhatCountsAsAnAnswer) {
  struct Case {
    const char* name;
    std::string reply;  // empty: silent
    const char* entry;  // nullptr: not listed
  };
  const Case cases[] = {
      {"model", "\r\nE1550\r\n\r\nOK\r\n", "E1550 (COM5)"},
      {"quoted model", "\r\n\"E1550\"\r\n\r\nOK\r\n", "E1550 (COM5)"},
      {"error", "\r\nERROR\r\n", "ERROR (COM5)"},
      {"bare OK", "\r\nOK\r\n", " (COM5)"},
      {"echo", "AT+CGMM\r\r\nE1550\r\n\r\nOK\r\n", "AT+CGMM (COM5)"},
      {"echo alone", "AT+CGMM\r", nullptr},
      {"blank lines alone", "\r\n", " (COM5)"},
      {"silent", "", nullptr},
      {"NUL first", std::string("\0E1550\r\n", 8), nullptr},
      {"binary garbage", "\xff\xfe\x01\x02", "\xff\xfe\x01\x02 (COM5)"},
      // The modem vendor's unsolicited reports are no answer.
      {"a report alone", "\r\n^BOOT:20952084,0,0,0,72\r\n", nullptr},
      {"a report, then the model", "\r\n^RSSI:17\r\n\r\nE1550\r\n\r\nOK\r\n", "E1550 (COM5)"},
  };
  for (const Case& c : cases) {
    ResetFakeModem();
    g_Fake.devices["\\\\.\\COM5"] = {{"ATE0", "\r\nOK\r\n"}};
    if (!c.reply.empty()) g_Fake.devices["\\\\.\\COM5"]["AT+CGMM"] = c.reply;
    ScanModemPorts();
    EXPECT_EQ(g_App.ModemCount, c.entry ? 1 : 0) << c.name;
    // A scan that finds nothing after one that did leaves empty tables.
    EXPECT_EQ(g_App.ModemPortNumbers[0], c.entry ? 5 : 0) << c.name;
    EXPECT_EQ(c.entry ? Entries().at(0) : g_App.ModemModelNames[0], c.entry ? c.entry : "") << c.name;
  }
}

TEST_F(ScanModemPortsTest, MorePathsThanOneRoundOfProbesKeepTheirNumbers) {
  std::vector<std::string> names;
  for (int i = 0; i < 300; ++i) names.push_back("/dev/ttyUSB" + std::to_string(i));
  std::vector<const char*> paths;
  for (const std::string& name : names) paths.push_back(name.c_str());
  const int32_t numbers[] = {1, 253, 254, 299};
  const char* models[] = {"FIRST", "LAST-OF-ROUND", "NEXT-ROUND", "FINAL"};
  for (int i = 0; i < 4; ++i)
    g_Fake.devices[names[numbers[i]]] = Answering("\r\n" + std::string(models[i]) + "\r\n");
  ScanModemPaths(paths.data(), 300);
  ASSERT_EQ(g_App.ModemCount, 4);
  EXPECT_EQ(g_Fake.openedPaths.size(), 300u);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(g_App.ModemPortNumbers[i], numbers[i]);
    EXPECT_STREQ(g_App.ModemModelNames[i], models[i]);
  }
}

// A link and its target (the same device number) are probed once, under
// the name given first.
TEST_F(ScanModemPortsTest, ADeviceNamedTwiceIsProbedAndListedOnce) {
  g_Fake.devices["/dev/modem"] = g_Fake.devices["/dev/ttyUSB0"] = Model("E1550");
  g_Fake.devices["/dev/ttyUSB1"] = Model("E173");
  g_Fake.deviceIds = {{"/dev/modem", 41}, {"/dev/ttyUSB0", 41}, {"/dev/ttyUSB1", 42}};
  const char* const paths[] = {"/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/modem", "/dev/ttyUSB1"};
  ScanModemPaths(paths, 4);
  EXPECT_EQ(Opened(), (std::vector<std::string>{"/dev/ttyUSB0", "/dev/ttyUSB1"}));
  ASSERT_EQ(g_App.ModemCount, 2);
  EXPECT_EQ(g_App.ModemPortNumbers[0], 0);
  EXPECT_EQ(g_App.ModemPortNumbers[1], 1);
  // Unknown device numbers: only the same name is the same device.
  ResetFakeModem();
  g_Fake.devices["a"] = g_Fake.devices["b"] = g_Fake.devices["A"] = Model("E1550");
  const char* const names[] = {"a", "b", "a", "A"};  // COM port names ignore case
  ScanModemPaths(names, 4);
  EXPECT_EQ(Opened(), (std::vector<std::string>{"a", "b"}));
}

TEST_F(ModemEntries, LongModelNamesAreCutSoTheEntryFits255Characters) {
  for (size_t modelLength : {1u, 200u, 246u, 247u, 255u, 300u, 70000u}) {
    ResetFakeModem();
    g_Fake.devices["\\\\.\\COM254"] = Answering("\r\n" + std::string(modelLength, 'M') + "\r\n");
    ScanModemPorts();
    ASSERT_EQ(g_App.ModemCount, 1);
    EXPECT_EQ(std::strlen(g_App.ModemModelNames[0]), std::min<size_t>(modelLength, 255));
    const std::string entry = Entries().at(0);
    EXPECT_EQ(entry.size(), std::min<size_t>(modelLength + 9, 255)) << modelLength;
    EXPECT_EQ(entry.substr(entry.size() - 9), " (COM254)");
  }
  // An entry whose port does not fit its buffer is empty.
  char small[9];
  FormatModemEntry(0, small, sizeof small);
  EXPECT_STREQ(small, "");
}

}  // namespace
