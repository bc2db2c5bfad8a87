// Quonel's one export on libcurl. libcurl reads a whole transfer in one call, so the steps of the fetch are
// told apart by what had arrived when it failed: nothing of the final answer yet means the URL could not be
// opened (stage 4), a failure after the final answer's headers is a failed read (stage 2).
#include "urlfetch/include/quonel.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <vector>

namespace {

constexpr char kMsgSession[] = "InternetOpen Error.";
constexpr char kMsgRead[] = "InternetReadFile Error.";
constexpr char kMsgStatus[] = "HttpQueryInfo Error.";
constexpr char kMsgOpenUrl[] = "InternetOpenUrl Error.";
constexpr std::int32_t kNoStatus = -1;
// Loopback is never sent through a proxy, whatever the environment says.
constexpr char kDirectHosts[] = "localhost,127.0.0.1,::1";

// Copies a stage message with its NUL.
template <std::size_t N>
void PutMessage(char* buffer, const char (&msg)[N]) {
  static_assert(N <= QUONEL_BUFFER_MIN_SIZE);
  std::memcpy(buffer, msg, N);
}

long EnvNumber(const char* name, long fallback) {
  const char* text = std::getenv(name);
  if (text == nullptr || *text == '\0') return fallback;
  char* end = nullptr;
  const long v = std::strtol(text, &end, 10);
  return (end != text && *end == '\0' && v > 0) ? v : fallback;
}

struct Transfer {
  std::vector<char> data;
  bool capped = false;  // the read stopped at QUONEL_MAX_READ bytes
  long answerCode = 0;  // status of the answer whose headers are arriving
  bool answerRedirects = false;
  bool finalAnswerBegun = false;  // the headers of the answer that is not followed further are complete
};

std::size_t OnBody(char* ptr, std::size_t size, std::size_t nmemb, void* user) {
  auto* t = static_cast<Transfer*>(user);
  const std::size_t n = size * nmemb;
  const std::size_t room = QUONEL_MAX_READ - t->data.size();
  const std::size_t take = std::min(n, room);
  t->data.insert(t->data.end(), ptr, ptr + take);
  if (take < n) t->capped = true;  // returning less than n ends the transfer: one read, nothing more
  return take;
}

bool StartsWithNoCase(const char* text, std::size_t len, const char* prefix) {
  const std::size_t p = std::strlen(prefix);
  if (len < p) return false;
  for (std::size_t i = 0; i < p; ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

std::size_t OnHeader(char* ptr, std::size_t size, std::size_t nmemb, void* user) {
  auto* t = static_cast<Transfer*>(user);
  const std::size_t n = size * nmemb;
  if (StartsWithNoCase(ptr, n, "http/")) {
    // Status line: "HTTP/1.1 200 OK".
    const char* sp = static_cast<const char*>(std::memchr(ptr, ' ', n));
    long code = 0;
    if (sp != nullptr) {
      for (const char* c = sp + 1; c < ptr + n && *c >= '0' && *c <= '9' && code < 1000; ++c)
        code = code * 10 + (*c - '0');
    }
    t->answerCode = code;
    t->answerRedirects = false;
  } else if (StartsWithNoCase(ptr, n, "location:")) {
    t->answerRedirects = true;
  } else if ((n == 2 && ptr[0] == '\r' && ptr[1] == '\n') || (n == 1 && ptr[0] == '\n')) {
    const bool interim = t->answerCode >= 100 && t->answerCode < 200;
    const bool followed = t->answerCode >= 300 && t->answerCode < 400 && t->answerRedirects;
    if (!interim && !followed) t->finalAnswerBegun = true;
  }
  return n;
}

std::int32_t OpenUrlErrorNumber(CURLcode rc) {
  switch (rc) {
    case CURLE_OUT_OF_MEMORY:
      return QUONEL_ERROR_NOT_ENOUGH_MEMORY;
    case CURLE_OPERATION_TIMEDOUT:
      return QUONEL_ERROR_TIMEOUT;
    case CURLE_URL_MALFORMAT:
      return QUONEL_ERROR_INVALID_URL;
    case CURLE_UNSUPPORTED_PROTOCOL:
      return QUONEL_ERROR_UNRECOGNIZED_SCHEME;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
      return QUONEL_ERROR_NAME_NOT_RESOLVED;
    case CURLE_COULDNT_CONNECT:
      return QUONEL_ERROR_CANNOT_CONNECT;
    case CURLE_SEND_ERROR:
      return QUONEL_ERROR_CONNECTION_ABORTED;
    case CURLE_RECV_ERROR:
      return QUONEL_ERROR_CONNECTION_RESET;
    case CURLE_GOT_NOTHING:
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_PARTIAL_FILE:
      return QUONEL_ERROR_INVALID_SERVER_RESPONSE;
    case CURLE_TOO_MANY_REDIRECTS:
      return QUONEL_ERROR_REDIRECT_FAILED;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
      return QUONEL_ERROR_SECURE_FAILURE;
    default:
      return QUONEL_ERROR_INTERNAL;
  }
}

std::once_flag g_curlInit;
CURLcode g_curlInitResult = CURLE_FAILED_INIT;

struct Easy {
  CURL* handle = curl_easy_init();
  ~Easy() {
    if (handle != nullptr) curl_easy_cleanup(handle);
  }
};

std::int16_t Fetch(const char* url, std::int32_t* size, std::int32_t* status, std::int32_t* stage,
                   char* buffer) {
  std::call_once(g_curlInit, [] { g_curlInitResult = curl_global_init(CURL_GLOBAL_DEFAULT); });
  Easy easy;
  if (g_curlInitResult != CURLE_OK || easy.handle == nullptr) {
    *status = kNoStatus;
    *stage = QUONEL_STAGE_SESSION;
    PutMessage(buffer, kMsgSession);
    return QUONEL_FAILURE;
  }
  if (url == nullptr) {
    *status = QUONEL_ERROR_INVALID_URL;
    *stage = QUONEL_STAGE_OPEN_URL;
    PutMessage(buffer, kMsgOpenUrl);
    return QUONEL_FAILURE;
  }

  std::string noProxy = kDirectHosts;
  for (const char* name : {"no_proxy", "NO_PROXY"}) {
    if (const char* v = std::getenv(name); v != nullptr && *v != '\0') {
      noProxy += ',';
      noProxy += v;
      break;
    }
  }

  Transfer t;
  t.data.reserve(QUONEL_MAX_READ);
  CURL* h = easy.handle;
  curl_easy_setopt(h, CURLOPT_URL, url);
  curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(h, CURLOPT_MAXREDIRS, static_cast<long>(QUONEL_MAX_REDIRECTS));
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(h, CURLOPT_NOPROXY, noProxy.c_str());
  curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS,
                   EnvNumber("QUONEL_CONNECT_TIMEOUT_MS", QUONEL_CONNECT_TIMEOUT_MS));
  curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, EnvNumber("QUONEL_STALL_TIMEOUT_S", QUONEL_STALL_TIMEOUT_S));
  curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, EnvNumber("QUONEL_TOTAL_TIMEOUT_MS", QUONEL_TOTAL_TIMEOUT_MS));
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, OnBody);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, &t);
  curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, OnHeader);
  curl_easy_setopt(h, CURLOPT_HEADERDATA, &t);

  const CURLcode rc = curl_easy_perform(h);
  const bool stoppedByUs = rc == CURLE_WRITE_ERROR && t.capped;
  if (rc != CURLE_OK && !stoppedByUs) {
    if (t.finalAnswerBegun) {
      *status = kNoStatus;
      *stage = QUONEL_STAGE_READ;
      PutMessage(buffer, kMsgRead);
    } else {
      *status = OpenUrlErrorNumber(rc);
      // libcurl also says "unsupported protocol" for an answer that is not HTTP (HTTP/0.9, a garbage status
      // line); once a server was reached, the scheme was fine and the answer is what is wrong.
      char* ip = nullptr;
      if (rc == CURLE_UNSUPPORTED_PROTOCOL && curl_easy_getinfo(h, CURLINFO_PRIMARY_IP, &ip) == CURLE_OK &&
          ip != nullptr && *ip != '\0')
        *status = QUONEL_ERROR_INVALID_SERVER_RESPONSE;
      *stage = QUONEL_STAGE_OPEN_URL;
      PutMessage(buffer, kMsgOpenUrl);
    }
    return QUONEL_FAILURE;
  }

  // The caller gets the bytes up to the first NUL, and the NUL.
  const auto nul = std::find(t.data.begin(), t.data.end(), '\0');
  const std::size_t delivered = static_cast<std::size_t>(nul - t.data.begin());
  if (delivered != 0) std::memcpy(buffer, t.data.data(), delivered);
  buffer[delivered] = '\0';
  *size = static_cast<std::int32_t>(delivered);

  long code = 0;
  if (curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &code) != CURLE_OK || code <= 0) {
    *status = kNoStatus;
    *stage = QUONEL_STAGE_STATUS;
    PutMessage(buffer, kMsgStatus);
    return QUONEL_FAILURE;
  }
  *status = static_cast<std::int32_t>(code);
  *stage = QUONEL_STAGE_NONE;
  return QUONEL_SUCCESS;
}

}  // namespace

extern "C" QUONEL_EXPORT int16_t OpenUrl(const char* url, int32_t* size, int32_t* status, int32_t* stage,
                                         char* buffer) {
  if (size == nullptr || status == nullptr || stage == nullptr || buffer == nullptr) return QUONEL_FAILURE;
  *size = 0;
  try {
    return Fetch(url, size, status, stage, buffer);
  } catch (const std::bad_alloc&) {
    *size = 0;
    *status = QUONEL_ERROR_NOT_ENOUGH_MEMORY;
  } catch (...) {
    *size = 0;
    *status = QUONEL_ERROR_INTERNAL;
  }
  *stage = QUONEL_STAGE_OPEN_URL;
  PutMessage(buffer, kMsgOpenUrl);
  return QUONEL_FAILURE;
}
