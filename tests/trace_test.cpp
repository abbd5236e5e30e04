// The masking of personal numbers, the exchange trace that carries it (PIN
// commands, a router's documents) and the trace file. The numbers are made
// up; a replayed trace is run end to end for every profile (trace_roundtrip.sh).
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "trace/exchange_trace.h"
#include "trace/personal_numbers.h"
#include "trace/trace_file.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

namespace {

struct MaskCase {
  const char* name;
  std::string text;
  std::string masked;
};

// The forms fuzz_trace_masking writes (IMEIs in every joint, BCD bytes,
// IMSIs, quoted senders and callers, dial strings, PIN changes, PDUs,
// message and USSD texts) are its to check; here the edges, and what stays.
const MaskCase kMaskCases[] = {
    {"imeisv 16 digits", "3520990017614812", "3520990000000000"},
    {"group before another joint", "7 35-209900-176148-1", "7 35-209900-000000-0"},
    // IMSIs keep country and network; longer numbers (ICCID) nothing.
    {"imsi again elsewhere", "IMSI: 250011234567890\r\nX 250011234567890",
     "IMSI: 250010000000000\r\nX 250010000000000"},
    {"iccid", "^ICCID: 89701012345678901234\r\n", "^ICCID: 00000000000000000000\r\n"},
    // Commands that set a number or code: their arguments, whole.
    {"cpin puk and new pin", "AT+CPIN=\"87654321\",\"4321\"", "AT+CPIN=\"00000000\",\"0000\""},
    {"clck lower case", "at+clck=\"SC\",1,\"1234\"\r\r\nOK", "at+clck=\"00\",1,\"0000\"\r\r\nOK"},
    {"cpin unquoted", "AT+CPIN=12345678", "AT+CPIN=00000000"},
    {"second command of a line", "AT+CSQ;+CPWD=\"SC\",\"1234\",\"5678\"",
     "AT+CSQ;+CPWD=\"00\",\"0000\",\"0000\""},
    // Phone numbers: quoted, 7 digits or more, masked whole wherever they are.
    {"read message", "+CMGR: \"REC UNREAD\",\"1234567\"", "+CMGR: \"REC UNREAD\",\"0000000\""},
    {"long international", "\"+491711234567890\"", "\"+000000000000000\""},
    {"cut inside the quotes", "+CLIP: \"+7916123\r\n\"+7916123", "+CLIP: \"+0000000\r\n\"+0000000"},
    {"quoted imei keeps its type", "+CGSN: \"352099001761481\"", "+CGSN: \"352099000000000\""},
    // What is not a personal number stays as it was.
    {"pin query", "AT+CPIN?\r\r\n+CPIN: READY\r\n", "AT+CPIN?\r\r\n+CPIN: READY\r\n"},
    {"traffic counters", "^DSFLOWRPT:0000001E,00000000,00000000,0000000000000DA4,0000000000000000",
     "^DSFLOWRPT:0000001E,00000000,00000000,0000000000000DA4,0000000000000000"},
    {"boot report", "^BOOT:20952084,0,0,0,72", "^BOOT:20952084,0,0,0,72"},
    {"13 digits", "Counter: 1234567890123", "Counter: 1234567890123"},
    // Dial strings: every digit but the service prefix, command and echo.
    {"dial tone lower case", "atdt89161234567\r", "atdt00000000000\r"},
    {"hidden caller id", "ATD*31#+79161234567;", "ATD*31#+00000000000;"},
    {"balance code stays", "ATD*100#;", "ATD*100#;"},
    // Messages: PDU addresses in place (a sender's name stays; the time
    // stamp's 14 digits are the decimal pass's), 7+ digits in any text.
    {"pdu deliver", "+CMGL: 1,0,,24\r\n07919761989901F0040B919761214365F70000622170010203210141\r\n\r\nOK",
     "+CMGL: 1,0,,24\r\n07910000000000F0040B910000000000F00000000000000000000000\r\n\r\nOK"},
    {"pdu named sender", "+CMT: ,20\r\n00040AD04D76F9DD0E0000622170010203210141",
     "+CMT: ,20\r\n00040AD04D76F9DD0E0000000000000000000000"},
    {"number alone on a line", "\r\n8671420\r\n\r\nOK\r\n39583162\r\n",
     "\r\n0000000\r\n\r\nOK\r\n00000000\r\n"},
    {"operator code", "+COPS: 0,2,\"250015\",2", "+COPS: 0,2,\"250015\",2"},
    {"six bytes", "35 20 99 00 17 61", "35 20 99 00 17 61"},
};

TEST(Masking, EveryFormFirmwareWrites) {
  for (const MaskCase& c : kMaskCases) {
    std::string text = c.text;
    MaskPersonalNumbers(text.data(), text.size(), nullptr, 0);
    EXPECT_EQ(text, c.masked) << c.name;
  }
}

TEST(MaskingSpans, ANumberStartingInAnImsiAnswerIsAnImsi) {
  std::string text = "\r\n250011234567890\r\n\r\nOK\r\n\r\n250011234567890\r\n";
  const TextSpan answer = {0, 10};
  MaskPersonalNumbers(text.data(), text.size(), &answer, 1);
  EXPECT_EQ(text, "\r\n250010000000000\r\n\r\nOK\r\n\r\n250010000000000\r\n");
}

struct TraceTest : ::testing::Test {
  void SetUp() override { ClearTrace(); }
  void TearDown() override { ClearTrace(); }
  void Read(const char* command, bool first, const std::string& bytes, uint32_t endMs) {
    RecordTracedRead(command, first, bytes.data(), static_cast<uint32_t>(bytes.size()), endMs);
  }
  static std::string Profile() {
    std::string profile;
    FormatTraceProfile(&profile);
    return profile;
  }
};

TEST_F(TraceTest, CommandsAndTheirEchoAreMaskedAndOneRuleStaysPerMaskedCommand) {
  Read("AT+CPIN=\"1234\"", true, "AT+CPIN=\"1234\"\r\r\nOK\r\n", 60);
  Read("at+cpin=\"5678\"", true, "", 2000);
  // (How commands and echoes are masked is the fuzzer's.)
  const std::string profile = Profile();
  EXPECT_NE(profile.find("> AT+CPIN=\"0000\"\n"), std::string::npos) << profile;
  EXPECT_EQ(profile.find("> at+cpin"), std::string::npos)
      << "one rule per command as the simulator compares them";
}

// A router stick's documents: one GET block per path with its last answer
// (the one after a fresh session), masked (numbers as in a serial trace,
// which the fuzzer's documents check; serial number and addresses whole),
// a lone "." line kept inside its block, a status other than 200 written.
TEST_F(TraceTest, RouterDocumentsBecomeARouterProfile) {
  const auto document = [](const char* path, int32_t status, const std::string& body) {
    RecordTracedDocument(path, status, body.data(), static_cast<uint32_t>(body.size()));
  };
  document("/api/webserver/SesTokInfo", 404, "");
  document("/api/device/information", 200, "<error><code>125002</code></error>");
  document("/api/device/information", 200, "<response>\r\n<Imei>866123456789012</Imei>\r\n.\r\n</response>");
  document("/api/device/basic_information", 200,
           "<response><SerialNumber>L8FDW1234</SerialNumber><MacAddress1>0C:1A:2B:3C:4D:5E</MacAddress1>"
           "<WanIPAddress>127.0.0.9</WanIPAddress></response>");
  const std::string profile = Profile();
  EXPECT_NE(profile.find("\nGET /api/webserver/SesTokInfo status 404\n.\n"), std::string::npos) << profile;
  EXPECT_NE(profile.find("\nGET /api/device/information\n<response>\n<Imei>866123450000000</Imei>\n. \n"
                         "</response>\n.\n"),
            std::string::npos)
      << profile;
  EXPECT_EQ(profile.find("125002"), std::string::npos) << profile;
  EXPECT_NE(profile.find("<SerialNumber>000000000</SerialNumber><MacAddress1>00:00:00:00:00:00</MacAddress1>"
                         "<WanIPAddress>000.0.0.0</WanIPAddress>"),
            std::string::npos)
      << profile;
  EXPECT_EQ(profile.find("echo off"), std::string::npos) << "no serial rules in a router profile";
}

std::string FileText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

// Writes text to path through a trace target; "" on success, else the
// reason, prefixed by the step that failed.
std::string WriteThroughTarget(const std::string& path, const std::string& text) {
  char reason[256] = {};
  TraceTarget target;
  if (!OpenTraceTarget(path.c_str(), &target, reason, sizeof reason)) return std::string("open: ") + reason;
  if (!WriteTraceTarget(&target, text.data(), text.size(), reason, sizeof reason))
    return std::string("write: ") + reason;
  return "";
}

TEST(TraceFile, ReplacesWhatIsThereAndFailsWithTheReason) {
  const std::string path = ::testing::TempDir() + "trace-file-test.profile";
  EXPECT_EQ(WriteThroughTarget(path, "first\n"), "");
  EXPECT_EQ(WriteThroughTarget(path, "second\n"), "");
  EXPECT_EQ(FileText(path), "second\n");
  std::remove(path.c_str());

  const std::string missing = ::testing::TempDir() + "no-such-folder/trace.profile";
  EXPECT_EQ(WriteThroughTarget(missing, "x").rfind("open: ", 0), 0u);
  EXPECT_EQ(WriteThroughTarget("", "x"), "open: no file name");
}

#ifndef _WIN32
TEST(TraceFile, OwnerOnlyAndALinkAtTheTargetIsReplacedNotFollowed) {
  const std::string target = ::testing::TempDir() + "trace-link-target";
  const std::string link = ::testing::TempDir() + "trace-link.profile";
  FILE* file = std::fopen(target.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fputs("keep me", file);
  std::fclose(file);
  unlink(link.c_str());
  ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
  EXPECT_EQ(WriteThroughTarget(link, "trace"), "");
  struct stat info {};
  ASSERT_EQ(lstat(link.c_str(), &info), 0);
  EXPECT_TRUE(S_ISREG(info.st_mode));
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_EQ(FileText(link), "trace");
  EXPECT_EQ(FileText(target), "keep me");
  unlink(link.c_str());
  unlink(target.c_str());
}

// Whatever is not a regular file stays what it was: a device or FIFO is
// written into, a folder, block device or socket refused before the run.
// The nodes are the test's own: never the system's /dev/full or /dev/null.
struct NodeCase {
  const char* name;
  mode_t type;
  dev_t device;        // for mknod
  bool needsRoot;      // mknod of a device node
  const char* result;  // of WriteThroughTarget
};

const NodeCase kNodeCases[] = {
    {"null device", S_IFCHR, makedev(1, 3), true, ""},
    {"full device", S_IFCHR, makedev(1, 7), true, "write: No space left on device"},
    {"block device", S_IFBLK, makedev(7, 200), true, "open: it is a block device, not a file"},
    {"fifo", S_IFIFO, 0, false, ""},
    {"folder", S_IFDIR, 0, false, "open: it is a folder"},
    {"socket", S_IFSOCK, 0, false, "open: it is a socket, not a file"},
};

TEST(TraceFile, NeverReplacesWhatIsNotARegularFile) {
  for (const NodeCase& c : kNodeCases) {
    if (c.needsRoot && geteuid() != 0) continue;
    const std::string path = ::testing::TempDir() + "trace-node-" + c.name;
    std::remove(path.c_str());
    const int made =
        c.type == S_IFDIR ? mkdir(path.c_str(), 0700) : mknod(path.c_str(), c.type | 0600, c.device);
    ASSERT_EQ(made, 0) << c.name;
    // A reader on the FIFO, so that opening it for writing need not wait.
    const int reader = c.type == S_IFIFO ? open(path.c_str(), O_RDONLY | O_NONBLOCK) : -1;
    EXPECT_EQ(WriteThroughTarget(path, "trace"), c.result) << c.name;
    if (reader >= 0) {
      char got[8] = {};
      EXPECT_EQ(read(reader, got, sizeof got), 5) << c.name;
      EXPECT_STREQ(got, "trace");
      close(reader);
    }
    struct stat info {};
    ASSERT_EQ(lstat(path.c_str(), &info), 0) << c.name;
    EXPECT_EQ(info.st_mode & S_IFMT, c.type) << c.name;
    c.type == S_IFDIR ? rmdir(path.c_str()) : unlink(path.c_str());
  }
}
#endif

}  // namespace
