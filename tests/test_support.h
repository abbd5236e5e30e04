// What the core's unit tests share: a fixture that starts every test from a
// clean fake modem, the replies of a modem-sim profile for the fake, and
// compact texts and named rows for table-driven cases.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "report/query.h"
#include "report/report_rows.h"
#include "tests/fake_port.h"
#include "tools/modem-sim/profile.h"

struct FakeModemTest : ::testing::Test {
  void SetUp() override { ResetFakeModem(); }
};

// The answer bytes of every rule of a shipped modem-sim profile, pauses
// left out: the fake then answers as that simulated modem does once its
// echo is off. An empty map when the profile does not read.
inline FakeReplies ProfileReplies(const char* name) {
  Profile profile;
  std::string error;
  FakeReplies replies;
  if (!ParseProfile((std::string(PROFILE_DIR) + "/" + name + ".profile").c_str(), &profile, &error)) {
    ADD_FAILURE() << error;
    return replies;
  }
  for (const Rule& rule : profile.rules) {
    std::string& reply = replies[rule.command];
    for (const Action& action : rule.actions)
      for (long i = 0; action.kind == ACTION_TEXT && i < action.count; ++i) reply += action.text;
  }
  // The profile's fallback ("> *") answers the query's commands it has no
  // rule for, and ATE0 gets OK, as the simulator does.
  const auto fallback = replies.find("*");
  if (fallback != replies.end()) {
    const std::string other = fallback->second;
    for (const QueryStep& step : QuerySequence)
      if (std::string_view(step.command) != "ATE0") replies.emplace(step.command, other);
    for (const FollowUpStep& followUp : FollowUpSequence) replies.emplace(followUp.step.command, other);
  }
  replies.emplace("ATE0", "\r\nOK\r\n");
  return replies;
}

// The parts of a case's text between '|' marks ("a|b|" gives a, b and an
// empty last part; "" gives none): tables of cases stay one line a case.
inline std::vector<std::string> Parts(const char* text) {
  std::vector<std::string> parts;
  for (const char* part = text; *part != '\0';) {
    const size_t size = std::strcspn(part, "|");
    parts.emplace_back(part, size);
    part += size;
    if (*part == '|' && *++part == '\0') parts.emplace_back();
  }
  return parts;
}

// The rows a case names as "Label: value" parts ('|' between them), by
// the labels the report shows them with.
inline std::map<int, std::string> NamedRows(const char* rows) {
  std::map<int, std::string> named;
  for (const std::string& part : Parts(rows)) {
    const size_t colon = part.find(": ");
    int rowId = 0;
    while (rowId < kReportRowCount && part.compare(0, colon, RowTable[rowId].label) != 0) ++rowId;
    EXPECT_LT(rowId, kReportRowCount) << "no row " << part;
    named[rowId] = part.substr(colon + 2);
  }
  return named;
}
