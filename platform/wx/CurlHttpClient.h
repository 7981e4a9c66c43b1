#pragma once
// The network client over libcurl. Each request gets its own handle, so requests
// may run on any thread; signals are never used (CURLOPT_NOSIGNAL) and every
// request is bounded by its timeouts. Only http and https are spoken, also after
// a redirect; loopback addresses never go through a proxy.

#include "platform/HttpClient.h"

namespace corvia::platform {

class CurlHttpClient final : public HttpClient {
 public:
  // Initialises libcurl; construct it on the main thread before any request.
  CurlHttpClient();
  ~CurlHttpClient() override;
  CurlHttpClient(const CurlHttpClient&) = delete;
  CurlHttpClient& operator=(const CurlHttpClient&) = delete;

  HttpResponse Perform(const HttpRequest& request, const HttpSink& sink) override;

 private:
  bool mInitialised = false;
};

}  // namespace corvia::platform
