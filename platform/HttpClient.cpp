#include "platform/HttpClient.h"

#include <atomic>

namespace corvia::platform {

namespace detail_HttpClient {
std::atomic<HttpClient*> gClient{nullptr};
}

HttpClient* InstalledHttpClient() { return detail_HttpClient::gClient.load(std::memory_order_acquire); }

HttpClient* InstallHttpClient(HttpClient* client) {
  return detail_HttpClient::gClient.exchange(client, std::memory_order_acq_rel);
}

}  // namespace corvia::platform
