#pragma once
// The program's one network client: a plain HTTP(S) GET or form POST, run to its
// end on the calling thread. The implementation (libcurl) is installed by the
// program at start-up; the geometry reaches it only through this interface.
//
// Perform may run on a worker thread: it never touches the user interface, never
// throws, and is bounded by the request's timeouts.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace corvia::platform {

enum class HttpFailure {
  None,
  Open,     // the library could not start a request
  Connect,  // no reply: bad address, refused, unreachable, or timed out before a reply
  Read,     // the reply broke off or timed out after it began
  Stopped,  // the sink asked to stop
};

struct HttpRequest {
  std::string url;
  std::string userAgent;
  bool post = false;
  std::string body;         // form data of a POST
  std::string contentType;  // header of a POST body
  long connectTimeoutMs = 10000;
  long timeoutMs = 60000;   // the whole transfer
};

struct HttpResponse {
  HttpFailure failure = HttpFailure::None;
  long status = 0;                  // the HTTP status; 0 when no reply arrived
  std::int64_t expectedBytes = -1;  // the announced body size; -1 when unknown
  std::string error;                // the library's words for a failure
};

// Receives the body in blocks as it arrives, with the status and the announced
// size; returning false stops the transfer.
using HttpSink = std::function<bool(const char* data, std::size_t size, long status, std::int64_t expected)>;

class HttpClient {
 public:
  virtual ~HttpClient() = default;
  virtual HttpResponse Perform(const HttpRequest& request, const HttpSink& sink) = 0;
};

// The installed client, or null when none is (then every request fails).
HttpClient* InstalledHttpClient();
// Installs a client (null removes it); returns the one installed before. Call it
// while no request runs.
HttpClient* InstallHttpClient(HttpClient* client);

}  // namespace corvia::platform
