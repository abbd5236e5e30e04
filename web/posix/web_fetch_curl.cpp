// The GET of the web interface on Linux: libcurl.
#include <curl/curl.h>

#include <cstdio>
#include <cstring>
#include <string_view>

#include "base/bounded_text.h"
#include "web/web_client.h"

namespace {

struct BodySink {
  char* body;
  size_t size;
  size_t length;
};

// Keeps what fits and swallows the rest: a cut body is still an answer.
size_t TakeBody(char* data, size_t size, size_t count, void* user) {
  BodySink* sink = static_cast<BodySink*>(user);
  const size_t bytes = size * count;
  const size_t room = sink->size - 1 - sink->length;
  const size_t kept = bytes < room ? bytes : room;
  std::memcpy(sink->body + sink->length, data, kept);
  sink->length += kept;
  sink->body[sink->length] = '\0';
  return bytes;
}

// "Set-Cookie: SessionID=abc; path=/" -> "SessionID=abc" (the first one).
size_t TakeHeader(char* data, size_t size, size_t count, void* user) {
  WebReply* reply = static_cast<WebReply*>(user);
  const size_t bytes = size * count;
  constexpr std::string_view kName = "set-cookie:";
  if (reply->setCookie[0] != '\0' || bytes <= kName.size()) return bytes;
  for (size_t i = 0; i < kName.size(); ++i) {
    const char c = data[i] >= 'A' && data[i] <= 'Z' ? static_cast<char>(data[i] + 32) : data[i];
    if (c != kName[i]) return bytes;
  }
  CleanHeaderValue(data + kName.size(), bytes - kName.size(), true, reply->setCookie,
                   sizeof reply->setCookie);
  return bytes;
}

}  // namespace

WebFetchStatus FetchWebPage(const WebRequest& request, char* body, size_t bodySize, WebReply* reply) {
  static const bool initialised = curl_global_init(CURL_GLOBAL_NOTHING) == CURLE_OK;
  *reply = {};
  body[0] = '\0';
  if (!initialised || bodySize == 0) return kWebBroken;
  CURL* curl = curl_easy_init();
  if (curl == nullptr) return kWebBroken;

  char url[512];
  std::snprintf(url, sizeof url, "http://%s:%u%s", request.host, static_cast<unsigned>(request.port),
                request.path);
  // The cookie and token are the stick's own text: only what cannot add a
  // header line of its own goes out.
  char value[kWebCookieSize];
  char cookie[kWebCookieSize + 16];
  CleanHeaderValue(request.cookie, std::strlen(request.cookie), true, value, sizeof value);
  std::snprintf(cookie, sizeof cookie, "Cookie: %s", value);
  const bool withCookie = value[0] != '\0';
  char token[kWebCookieSize + 40];
  CleanHeaderValue(request.token, std::strlen(request.token), false, value, sizeof value);
  std::snprintf(token, sizeof token, "__RequestVerificationToken: %s", value);
  const bool withToken = value[0] != '\0';
  curl_slist* headers = nullptr;
  if (withCookie) headers = curl_slist_append(headers, cookie);
  if (withToken) headers = curl_slist_append(headers, token);

  BodySink sink = {body, bodySize, 0};
  curl_easy_setopt(curl, CURLOPT_URL, url);
  // Straight to the stick: no proxy from the environment, no redirect, no
  // other protocol. The time-out is what the report has left for this
  // request (at most the request's own), so a stick that dribbles its answer
  // is cut where the report's bound says.
  curl_easy_setopt(curl, CURLOPT_PROXY, "");
  curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http");
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(request.connectTimeoutMs));
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(request.totalTimeoutMs));
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, TakeBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
  curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, TakeHeader);
  curl_easy_setopt(curl, CURLOPT_HEADERDATA, reply);

  const CURLcode code = curl_easy_perform(curl);
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  curl_easy_cleanup(curl);
  curl_slist_free_all(headers);
  reply->httpStatus = static_cast<int32_t>(status);
  reply->length = sink.length;

  switch (code) {
    case CURLE_OK: return kWebFetched;
    case CURLE_COULDNT_CONNECT:
    case CURLE_COULDNT_RESOLVE_HOST: return kWebNoConnection;
    case CURLE_OPERATION_TIMEDOUT:
      // A time-out before any answer byte came is a connection that never
      // came about.
      return status == 0 && sink.length == 0 ? kWebNoConnection : kWebTimedOut;
    default: return kWebBroken;
  }
}
