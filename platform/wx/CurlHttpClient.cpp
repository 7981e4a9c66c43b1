#include "platform/wx/CurlHttpClient.h"

#include <curl/curl.h>

#include <string>

namespace corvia::platform {

namespace detail_CurlHttpClient {

constexpr long kMaxRedirects = 5;
constexpr const char* kProtocols = "http,https";
constexpr const char* kNoProxyHosts = "127.0.0.1,localhost,::1";

struct Transfer {
  CURL* handle = nullptr;
  const HttpSink* sink = nullptr;
  bool stopped = false;
};

size_t Write(char* data, size_t size, size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  size_t bytes = size * count;
  long status = 0;
  curl_easy_getinfo(transfer->handle, CURLINFO_RESPONSE_CODE, &status);
  curl_off_t expected = -1;
  curl_easy_getinfo(transfer->handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &expected);
  if (transfer->sink && *transfer->sink && !(*transfer->sink)(data, bytes, status, static_cast<std::int64_t>(expected))) {
    transfer->stopped = true;
    return 0;  // makes libcurl end the transfer
  }
  return bytes;
}

}  // namespace detail_CurlHttpClient

CurlHttpClient::CurlHttpClient() { mInitialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; }

CurlHttpClient::~CurlHttpClient() {
  if (mInitialised) curl_global_cleanup();
}

HttpResponse CurlHttpClient::Perform(const HttpRequest& request, const HttpSink& sink) {
  HttpResponse response;
  CURL* handle = mInitialised ? curl_easy_init() : nullptr;
  if (handle == nullptr) {
    response.failure = HttpFailure::Open;
    response.error = "the web library could not start";
    return response;
  }
  char errorText[CURL_ERROR_SIZE] = {};
  detail_CurlHttpClient::Transfer transfer;
  transfer.handle = handle;
  transfer.sink = &sink;

  curl_slist* headers = nullptr;
  if (request.post) {
    std::string type = "Content-Type: " + request.contentType;
    headers = curl_slist_append(headers, type.c_str());
    headers = curl_slist_append(headers, "Expect:");
  } else {
    // Always the server's current file, never a cached copy.
    headers = curl_slist_append(headers, "Pragma: no-cache");
    headers = curl_slist_append(headers, "Cache-Control: no-cache");
  }

  curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorText);
  curl_easy_setopt(handle, CURLOPT_URL, request.url.c_str());
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, detail_CurlHttpClient::kProtocols);
  curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, detail_CurlHttpClient::kProtocols);
  curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(handle, CURLOPT_MAXREDIRS, detail_CurlHttpClient::kMaxRedirects);
  curl_easy_setopt(handle, CURLOPT_NOPROXY, detail_CurlHttpClient::kNoProxyHosts);
  curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, request.connectTimeoutMs);
  curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, request.timeoutMs);
  if (!request.userAgent.empty()) curl_easy_setopt(handle, CURLOPT_USERAGENT, request.userAgent.c_str());
  curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, detail_CurlHttpClient::Write);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &transfer);
  if (request.post) {
    curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
    curl_easy_setopt(handle, CURLOPT_COPYPOSTFIELDS, request.body.c_str());
  }

  CURLcode code = curl_easy_perform(handle);
  curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &response.status);
  curl_off_t expected = -1;
  curl_easy_getinfo(handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &expected);
  response.expectedBytes = static_cast<std::int64_t>(expected);
  if (code != CURLE_OK) {
    response.error = errorText[0] != '\0' ? errorText : curl_easy_strerror(code);
    if (transfer.stopped) {
      response.failure = HttpFailure::Stopped;
    } else if (response.status == 0) {
      response.failure = HttpFailure::Connect;
    } else {
      response.failure = HttpFailure::Read;
    }
  }
  curl_slist_free_all(headers);
  curl_easy_cleanup(handle);
  return response;
}

}  // namespace corvia::platform
