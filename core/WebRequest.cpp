#include "core/WebRequest.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "core/FileUtils.h"
#include "core/Messages.h"
#include "core/Paths.h"
#include "core/Progress.h"
#include "core/Strings.h"
#include "platform/HttpClient.h"

namespace corvia {

namespace detail_WebRequest {

constexpr long kHttpOk = 200;
constexpr long kHttpSuccessFirst = 200;
constexpr long kHttpSuccessLast = 299;

std::atomic<long> gConnectTimeoutMs{kWebConnectTimeoutMs};
std::atomic<long> gTransferTimeoutMs{kWebTransferTimeoutMs};

const char* Text(const char* text) { return text ? text : ""; }

// "<caption>\n\n<step>", then the library's words as the system error text.
void StepFailure(WebFailure& failure, const char* caption, const char* step, const std::string& error) {
  std::string text = FormatLimited(kMessageBufferSize, "%s\n\n%s", Text(caption), step);
  if (!error.empty()) text += ": " + error;
  failure.text = text;
  failure.internal = false;
}

void SetFailure(WebFailure& failure, std::string text) {
  failure.text = std::move(text);
  failure.internal = false;
}

std::string StatusText(long status) { return status > 0 ? std::to_string(status) : std::string("unknown"); }

platform::HttpRequest MakeRequest(const char* url, const char* userAgent) {
  platform::HttpRequest request;
  request.url = Text(url);
  request.userAgent = Text(userAgent);
  request.connectTimeoutMs = gConnectTimeoutMs.load(std::memory_order_relaxed);
  request.timeoutMs = gTransferTimeoutMs.load(std::memory_order_relaxed);
  return request;
}

// The download itself. `progressOn` reports to the progress window, which may
// cancel.
bool Download(const char* file, const char* url, const char* userAgent, const char* caption, bool progressOn,
              WebFailure& failure) {
  failure = WebFailure();
  if (StartsWith(Text(url), "http://") != 0 && FileExists(Text(url))) {
    if (FileCopy(file, url, false)) return true;
    SetFailure(failure, FormatLimited(kMessageBufferSize, "%s\n\nCouldn't copy file '%s'\nto '%s'", Text(caption),
                                      Text(url), Text(file)));
    return false;
  }

  platform::HttpClient* client = platform::InstalledHttpClient();
  if (client == nullptr) {
    StepFailure(failure, caption, "InternetOpen", "no web client installed");
    return false;
  }
  std::string path = NativePath(Text(file));
  FILE* out = nullptr;
  bool fileFailed = false;
  bool cancelled = false;
  std::int64_t got = 0;

  auto sink = [&](const char* data, std::size_t size, long status, std::int64_t expected) {
    if (status != kHttpOk) return false;
    if (out == nullptr) {
      out = std::fopen(path.c_str(), "wb");
      if (out == nullptr) {
        fileFailed = true;
        return false;
      }
    }
    if (std::fwrite(data, 1, size, out) != size) {
      fileFailed = true;
      return false;
    }
    got += static_cast<std::int64_t>(size);
    if (progressOn) {
      std::string of = expected >= 0 && got <= expected ? FormatLimited(64, " of %lld", static_cast<long long>(expected))
                                                        : std::string();
      double fraction = expected > 0 ? static_cast<double>(got) / static_cast<double>(expected) : 0.0;
      if (!UpdateProgress(fraction, "Downloading %s.\nGot %lld bytes%s.", Text(url), static_cast<long long>(got),
                          of.c_str())) {
        cancelled = true;
        return false;
      }
    }
    return true;
  };

  if (progressOn) BeginProgress();
  platform::HttpResponse response = client->Perform(MakeRequest(url, userAgent), sink);
  // A cancel has closed the level already.
  if (progressOn && !cancelled) EndProgress();

  bool ok = false;
  if (response.failure == platform::HttpFailure::Open) {
    StepFailure(failure, caption, "InternetOpen", response.error);
  } else if (response.failure == platform::HttpFailure::Connect) {
    StepFailure(failure, caption, "InternetOpenUrl", response.error);
  } else if (response.status != kHttpOk) {
    SetFailure(failure, FormatLimited(kMessageBufferSize, "%s\n\nCouldn't find file on server (status %s).",
                                      Text(caption), StatusText(response.status).c_str()));
  } else if (fileFailed) {
    SetFailure(failure, FormatLimited(kMessageBufferSize, "%s\n\nCouldn't open %s for writing", Text(caption), Text(file)));
  } else if (cancelled) {
    SetFailure(failure, FormatLimited(kMessageBufferSize, "%s\n\nFile download cancelled by user", Text(caption)));
  } else if (response.failure != platform::HttpFailure::None) {
    StepFailure(failure, caption, "InternetReadFile", response.error);
  } else {
    ok = true;
    // An empty body still gives a file.
    if (out == nullptr) out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) {
      ok = false;
      SetFailure(failure, FormatLimited(kMessageBufferSize, "%s\n\nCouldn't open %s for writing", Text(caption), Text(file)));
    }
  }
  if (out != nullptr) {
    if (std::fflush(out) != 0 || std::ferror(out)) ok = false;
    if (std::fclose(out) != 0) ok = false;
    if (!ok && failure.text.empty()) {
      SetFailure(failure, FormatLimited(kMessageBufferSize, "%s\n\nCouldn't open %s for writing", Text(caption), Text(file)));
    }
  }
  if (!ok) std::remove(path.c_str());
  return ok;
}

bool Post(std::string& reply, size_t limit, bool& cut, const char* url, const char* formData, const char* userAgent,
          const char* caption, WebFailure& failure) {
  failure = WebFailure();
  reply.clear();
  cut = false;
  if (std::strstr(Text(url), "://") == nullptr) {
    failure.text = FormatLimited(kMessageBufferSize, "URL is missing 'http://' or similar:\n%s", Text(url));
    failure.internal = true;
    return false;
  }
  platform::HttpClient* client = platform::InstalledHttpClient();
  if (client == nullptr) {
    StepFailure(failure, caption, "InternetOpen", "no web client installed");
    return false;
  }
  platform::HttpRequest request = MakeRequest(url, userAgent);
  request.post = true;
  request.body = Text(formData);
  request.contentType = kFormContentType;
  auto sink = [&](const char* data, std::size_t size, long, std::int64_t) {
    size_t room = limit > reply.size() ? limit - reply.size() : 0;
    if (size > room) {
      cut = true;
      size = room;
    }
    reply.append(data, size);
    // Read to the end even when full, so that the reply is known to be complete.
    return true;
  };
  platform::HttpResponse response = client->Perform(request, sink);
  switch (response.failure) {
    case platform::HttpFailure::Open: StepFailure(failure, caption, "InternetOpen", response.error); return false;
    case platform::HttpFailure::Connect:
      StepFailure(failure, caption, "InternetSendRequest", response.error);
      return false;
    case platform::HttpFailure::Read:
    case platform::HttpFailure::Stopped:
      StepFailure(failure, caption, "InternetReadFile", response.error);
      return false;
    case platform::HttpFailure::None: break;
  }
  if (response.status < kHttpSuccessFirst || response.status > kHttpSuccessLast) {
    SetFailure(failure, FormatLimited(kMessageBufferSize, "%s\n\nCouldn't find file on server (status %s).",
                                      Text(caption), StatusText(response.status).c_str()));
    return false;
  }
  return true;
}

}  // namespace detail_WebRequest

void SetWebRequestTimeouts(long connectMs, long transferMs) {
  detail_WebRequest::gConnectTimeoutMs.store(connectMs, std::memory_order_relaxed);
  detail_WebRequest::gTransferTimeoutMs.store(transferMs, std::memory_order_relaxed);
}

AutodialSetting::AutodialSetting(bool turnOff) {
  // No dial-on-demand switch exists to be saved: nothing is held.
  (void)turnOff;
  mHeld = false;
  mSavedValue = 0;
}

void AutodialSetting::Restore() { mHeld = false; }

bool DownloadUrlToFile(const char* file, const char* url, const char* userAgent, const char* errorCaption,
                       WebFailure& failure, bool showProgress) {
  return detail_WebRequest::Download(file, url, userAgent, errorCaption, showProgress, failure);
}

bool PostUrlForm(size_t size, char* reply, const char* url, const char* formData, const char* userAgent,
                 const char* errorCaption, WebFailure& failure, bool* replyCut) {
  std::string text;
  bool cut = false;
  size_t limit = size > 0 ? size - 1 : 0;
  bool ok = detail_WebRequest::Post(text, limit, cut, url, formData, userAgent, errorCaption, failure);
  if (reply != nullptr && size > 0) {
    std::memcpy(reply, text.data(), text.size());
    reply[text.size()] = '\0';
  }
  if (replyCut) *replyCut = cut;
  return ok;
}

bool PostUrlForm(std::string& reply, size_t limit, bool& replyCut, const char* url, const char* formData,
                 const char* userAgent, const char* errorCaption, WebFailure& failure) {
  return detail_WebRequest::Post(reply, limit, replyCut, url, formData, userAgent, errorCaption, failure);
}

WebRequest::WebRequest() = default;

WebRequest::~WebRequest() {
  // The worker uses this object's strings: they must outlive it.
  if (mThread.joinable()) mThread.join();
  ReleaseAutodial();
}

void WebRequest::ReleaseAutodial() {
  if (mAutodial) {
    mAutodial->Restore();
    mAutodial.reset();
  }
}

bool WebRequest::Start(const char* tempFileName, const char* url, const char* userAgent, const char* errorCaption,
                       bool interactive, const char* formData, WebFailure* failure) {
  if (mState.load(std::memory_order_acquire) != kIdle) {
    if (!interactive) return false;
    // Takes over the running request's error reporting.
    return !mInteractive.exchange(true, std::memory_order_acq_rel);
  }
  if (url == nullptr || IsBlank(url)) return false;
  if (mThread.joinable()) mThread.join();

  mPost = formData != nullptr;
  if (!mTempPath.empty()) DeleteFile();
  if (!mPost && !CreateTempFile(mTempPath, tempFileName)) {
    mTempPath.clear();
    if (interactive && failure) {
      std::string folder;
      GetTempDirectory(folder);
      failure->text = FormatLimited(kMessageBufferSize, "%s\n\nCouldn't open %s for writing",
                                    detail_WebRequest::Text(errorCaption), folder.c_str());
      failure->internal = false;
    }
    return false;
  }

  mSuccess = false;
  mReply.clear();
  mReplyCut = false;
  mFailure = WebFailure();
  mUrl = url;
  mUserAgent = detail_WebRequest::Text(userAgent);
  mErrorCaption = detail_WebRequest::Text(errorCaption);
  mFormData = mPost ? formData : "";
  mInteractive.store(interactive, std::memory_order_release);
  ReleaseAutodial();
  // A background check must never dial.
  if (!interactive) mAutodial = std::make_unique<AutodialSetting>(true);

  mState.store(kRunning, std::memory_order_release);
  mThread = std::thread([this] { ThreadProc(); });
  return true;
}

void WebRequest::ThreadProc() {
  WebFailure failure;
  bool ok = false;
  if (!mPost) {
    ok = DownloadUrlToFile(mTempPath.c_str(), mUrl.c_str(), mUserAgent.c_str(), mErrorCaption.c_str(), failure);
  } else {
    ok = PostUrlForm(mReply, kWebReplyBufferSize - 1, mReplyCut, mUrl.c_str(), mFormData.c_str(), mUserAgent.c_str(),
                     mErrorCaption.c_str(), failure);
    mFormData.clear();
  }
  mFailure = std::move(failure);
  mSuccess = ok;
  mState.store(kFinished, std::memory_order_release);
}

bool WebRequest::IsFinished() {
  if (mState.load(std::memory_order_acquire) != kFinished) return false;
  if (mThread.joinable()) mThread.join();
  ReleaseAutodial();
  mState.store(kIdle, std::memory_order_release);
  return true;
}

void WebRequest::DeleteFile() {
  if (!mTempPath.empty()) RemoveFile(mTempPath.c_str());
  mTempPath.clear();
}

WebRequest& TheWebRequest() {
  static WebRequest request;
  return request;
}

}  // namespace corvia
