#pragma once
// A small HTTP server of the test's own on 127.0.0.1: one canned reply per
// connection, or connections held without a word. Nothing here talks to any other
// address.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>

namespace corvia::testing {

inline constexpr int kServerPollMs = 50;
inline constexpr int kServerLifeMs = 20000;  // the server stops by itself after this
inline constexpr size_t kMaxRequestBytes = 64 * 1024;

// Serves one canned reply per connection, or holds connections without a word.
class LoopbackServer {
 public:
  explicit LoopbackServer(std::string reply, bool silent = false) : mReply(std::move(reply)), mSilent(silent) {
    mListen = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (mListen < 0 || bind(mListen, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(mListen, 4) != 0) {
      return;
    }
    socklen_t length = sizeof address;
    getsockname(mListen, reinterpret_cast<sockaddr*>(&address), &length);
    mPort = ntohs(address.sin_port);
    mThread = std::thread([this] { Run(); });
  }
  ~LoopbackServer() {
    mStop = true;
    if (mThread.joinable()) mThread.join();
    if (mListen >= 0) close(mListen);
  }

  int Port() const { return mPort; }
  std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(mPort) + path; }
  std::string LastRequest() {
    std::lock_guard<std::mutex> lock(mMutex);
    return mRequest;
  }

 private:
  void Run() {
    for (int waited = 0; !mStop && waited < kServerLifeMs; waited += kServerPollMs) {
      pollfd ready{mListen, POLLIN, 0};
      if (poll(&ready, 1, kServerPollMs) <= 0) continue;
      int client = accept(mListen, nullptr, nullptr);
      if (client < 0) continue;
      if (mSilent) {
        // Never answers; holds the line until the test ends.
        while (!mStop && (waited += kServerPollMs) < kServerLifeMs) {
          std::this_thread::sleep_for(std::chrono::milliseconds(kServerPollMs));
        }
      } else {
        Serve(client);
      }
      close(client);
    }
  }
  void Serve(int client) {
    std::string request;
    char buffer[4096];
    // Reads the head, then as much body as Content-Length announces.
    for (int rounds = 0; rounds < 200 && request.size() < kMaxRequestBytes; ++rounds) {
      pollfd ready{client, POLLIN, 0};
      if (poll(&ready, 1, kServerPollMs) <= 0) {
        if (Complete(request)) break;
        continue;
      }
      ssize_t got = recv(client, buffer, sizeof buffer, 0);
      if (got <= 0) break;
      request.append(buffer, static_cast<size_t>(got));
      if (Complete(request)) break;
    }
    {
      std::lock_guard<std::mutex> lock(mMutex);
      mRequest = request;
    }
    size_t sent = 0;
    while (sent < mReply.size()) {
      ssize_t n = send(client, mReply.data() + sent, mReply.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) break;
      sent += static_cast<size_t>(n);
    }
    shutdown(client, SHUT_WR);
  }
  static bool Complete(const std::string& request) {
    size_t head = request.find("\r\n\r\n");
    if (head == std::string::npos) return false;
    size_t length = 0;
    size_t at = request.find("Content-Length: ");
    if (at != std::string::npos && at < head) length = std::stoul(request.substr(at + 16));
    return request.size() >= head + 4 + length;
  }

  std::string mReply;
  bool mSilent;
  int mListen = -1;
  int mPort = 0;
  std::atomic<bool> mStop{false};
  std::thread mThread;
  std::mutex mMutex;
  std::string mRequest;
};

inline std::string HttpReply(const std::string& status, const std::string& body) {
  return "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\nConnection: close\r\n\r\n" + body;
}

}  // namespace corvia::testing
