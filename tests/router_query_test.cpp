// The router report's sequence against a scripted web interface: this test
// program brings its own FetchWebPage (the platform's is not linked in), so
// the error codes, the retry and the time bounds are checked on every
// platform without any network. Documents are still read by the platform's
// XML reader. The handshake forms and a login asked for are run end to end
// against modem-sim's router profiles (router_cli_e2e.sh).
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "report/report_rows.h"
#include "report/router_query.h"
#include "report/router_rows.h"
#include "web/web_client.h"

namespace {

struct SeenRequest {
  std::string path, cookie, token;
  uint32_t connectMs, totalMs;
};

struct Answer {
  WebFetchStatus status;
  int32_t httpStatus;
  std::string body;
};

// The answer to the n-th request for a path (the last one repeats).
std::map<std::string, std::vector<Answer>> g_Script;
std::vector<SeenRequest> g_Seen;

std::string Document(const std::string& children) { return "<response>" + children + "</response>"; }
std::string Error(int code) { return "<error><code>" + std::to_string(code) + "</code><message/></error>"; }
Answer Http(int32_t status, const std::string& body) { return {kWebFetched, status, body}; }
Answer Ok(const std::string& body) { return Http(200, body); }

const char* const kSession = "<response><SesInfo>SessionID=a1</SesInfo><TokInfo>t1</TokInfo></response>";
const char* const kSessionAgain = "<response><SesInfo>SessionID=a2</SesInfo><TokInfo>t2</TokInfo></response>";

void ScriptEveryDocument(const Answer& answer) {
  for (const char* path : {"/api/device/information", "/api/monitoring/status", "/api/net/current-plmn",
                           "/api/device/signal", "/api/pin/status", "/api/pin/simlock", "/api/net/net-mode"})
    g_Script[path] = {answer};
}

int Count(const char* path) {
  int count = 0;
  for (const SeenRequest& seen : g_Seen) count += seen.path == path;
  return count;
}

struct RouterQueryTest : ::testing::Test {
  void SetUp() override {
    g_Script.clear();
    g_Seen.clear();
  }
  RouterQueryResult Query() {
    RouterAddress address;
    EXPECT_TRUE(ParseRouterAddress("http://127.0.0.1:8080", &address));
    RouterQueryResult result;
    QueryRouterAt(address, &result);
    return result;
  }
};

TEST_F(RouterQueryTest, ASpentSessionGetsOneFreshHandshakeThenTheReportGivesUp) {
  g_Script["/api/webserver/SesTokInfo"] = {Ok(kSession), Ok(kSessionAgain)};
  ScriptEveryDocument(Ok(Document("")));
  g_Script["/api/monitoring/status"] = {Ok(Error(125002)), Ok(Document("<ServiceStatus>2</ServiceStatus>"))};
  g_Script["/api/pin/status"] = {Ok(Error(125003))};
  const RouterQueryResult result = Query();
  EXPECT_EQ(Count("/api/webserver/SesTokInfo"), 2);
  // The second refusal cuts the report short after the documents it gave
  // (the refused one again among them); the fresh session's rows are
  // router_cli_e2e.sh's.
  EXPECT_EQ(result.outcome, kRouterCut);
  EXPECT_EQ(result.documentsRead, 4);
}

// A body that came with an error status is the web server's, whatever it
// holds: no rows from it (router_cli_e2e.sh), the first such document
// named, a 404 giving way to another status, the rest read.
TEST_F(RouterQueryTest, DocumentsWithAnErrorStatusGiveNoRows) {
  g_Script["/api/webserver/SesTokInfo"] = {Ok(kSession)};
  ScriptEveryDocument(Ok(Document("")));
  g_Script["/api/device/information"] = {Http(404, Document("<DeviceName>E3372</DeviceName>"))};
  g_Script["/api/monitoring/status"] = {Http(500, Document("<ServiceStatus>2</ServiceStatus>"))};
  g_Script["/api/pin/simlock"] = {Http(401, Document("<SimLockRemainTimes>3</SimLockRemainTimes>"))};
  const RouterQueryResult result = Query();
  EXPECT_EQ(result.outcome, kRouterHttpError);
  EXPECT_EQ(result.failedHttpStatus, 500) << "a 404 gives way to another status";
  EXPECT_STREQ(kRouterPaths[result.failedPath], "/api/monitoring/status");
  EXPECT_EQ(result.documentsRead, 4);
}

TEST_F(RouterQueryTest, ADeadAddressCostsOneRequestAndNoRows) {
  SetRowValue(kRowModel, "left over");
  g_Script["/api/webserver/SesTokInfo"] = {{kWebNoConnection, 0, ""}};
  const RouterQueryResult result = Query();
  EXPECT_EQ(result.outcome, kRouterNoAnswer);
  EXPECT_EQ(g_Seen.size(), 1u);
  // A request's bounds are its own while the report's 3 s leave more (a
  // dribbling stick's report ending in time is web_fetch_test's).
  EXPECT_EQ(g_Seen[0].connectMs, kRouterConnectTimeoutMs);
  EXPECT_EQ(g_Seen[0].totalMs, kRouterRequestTimeoutMs);
  for (int rowId = 0; rowId < kReportRowCount; ++rowId) EXPECT_STREQ(RowValue(rowId), "") << rowId;
}

TEST_F(RouterQueryTest, SomethingElseAtTheAddressIsNotAStick) {
  g_Script["/api/webserver/SesTokInfo"] = {Http(404, "<html><body>404</body>")};
  g_Script["/"] = {Ok("<html><body>a printer")};
  ScriptEveryDocument(Http(404, "<html><body>404"));
  EXPECT_EQ(Query().outcome, kRouterNotWebInterface);
}

}  // namespace

// The scripted web interface in place of the platform's.
WebFetchStatus FetchWebPage(const WebRequest& request, char* body, size_t bodySize, WebReply* reply) {
  *reply = {};
  body[0] = '\0';
  g_Seen.push_back(
      {request.path, request.cookie, request.token, request.connectTimeoutMs, request.totalTimeoutMs});
  const auto script = g_Script.find(request.path);
  if (script == g_Script.end() || script->second.empty()) {
    reply->httpStatus = 404;
    return kWebFetched;
  }
  const int asked = Count(request.path);
  const std::vector<Answer>& answers = script->second;
  const Answer& answer =
      answers[static_cast<size_t>(asked) <= answers.size() ? asked - 1 : answers.size() - 1];
  if (answer.status != kWebFetched) return answer.status;
  reply->httpStatus = answer.httpStatus;
  reply->length = answer.body.size() < bodySize ? answer.body.size() : bodySize - 1;
  std::memcpy(body, answer.body.data(), reply->length);
  body[reply->length] = '\0';
  return kWebFetched;
}
