#pragma once
// The program's only network client: an HTTP download into a file, a form POST,
// and WebRequest, which runs one of them on a worker thread while the user
// interface polls for the end.
//
// Two threads share a WebRequest: the user-interface thread (Start, IsFinished,
// DeleteFile and the readers) and the worker. The worker writes its results (the
// success flag, the reply, the text of a failure) before it stores the state 2
// with release ordering; the user-interface thread reads them only after it has
// loaded 2 with acquire ordering. Nothing here shows anything: the failure's text
// is kept for the caller, which shows it on the user-interface thread when the
// request is interactive.

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <thread>

namespace corvia {

// Time limits of every request, in milliseconds: reaching the server, and the
// whole transfer.
constexpr long kWebConnectTimeoutMs = 15000;
constexpr long kWebTransferTimeoutMs = 60000;
void SetWebRequestTimeouts(long connectMs, long transferMs);

// The largest reply a WebRequest keeps from a form POST.
constexpr size_t kWebReplyBufferSize = 64 * 1024;

// The content type of form posts.
constexpr const char* kFormContentType = "application/x-www-form-urlencoded";

// The desktop's dial-on-demand switch, turned off while a background request runs
// so that it never dials. Linux desktops have no such switch: there is nothing to
// save, and Restore has nothing to put back.
class AutodialSetting {
 public:
  explicit AutodialSetting(bool turnOff);
  void Restore();

 private:
  bool mHeld = false;
  unsigned mSavedValue = 0;
};

// A failure as the user should see it; the caller decides whether it is shown.
struct WebFailure {
  std::string text;
  bool internal = false;  // an "Internal Error" rather than an "Error"
};

// Downloads the url into the file (a url that does not begin with "http://" and
// names an existing file is copied instead). With showProgress the progress window
// reports the bytes got and offers Cancel. On failure the partial file is deleted
// and the failure goes to `failure`.
bool DownloadUrlToFile(const char* file, const char* url, const char* userAgent, const char* errorCaption,
                       WebFailure& failure, bool showProgress = false);

// Posts the form data ("Content-Type: application/x-www-form-urlencoded") and reads
// the reply into the buffer: at most size - 1 bytes, always ended by a zero.
// `replyCut` (may be null) tells whether the reply was longer than that. A status
// other than 2xx is a failure, which goes to `failure`.
bool PostUrlForm(size_t size, char* reply, const char* url, const char* formData, const char* userAgent,
                 const char* errorCaption, WebFailure& failure, bool* replyCut = nullptr);
// The same into a string of at most `limit` bytes, without boxes.
bool PostUrlForm(std::string& reply, size_t limit, bool& replyCut, const char* url, const char* formData,
                 const char* userAgent, const char* errorCaption, WebFailure& failure);

class WebRequest {
 public:
  enum State : int { kIdle = 0, kRunning = 1, kFinished = 2 };

  WebRequest();
  // Waits for a running worker (bounded by the time limits), restores the dial-up
  // setting and frees the strings. The temporary file stays until DeleteFile.
  ~WebRequest();
  WebRequest(const WebRequest&) = delete;
  WebRequest& operator=(const WebRequest&) = delete;

  // Starts a download into a new private temporary file named after
  // `tempFileName`, or a form POST when `formData` is given. While a request runs
  // or waits to be collected, an interactive call takes over its error reporting
  // (true, unless it was interactive already) and a background call is refused.
  // An empty url starts nothing (false). True when a request now runs for the
  // caller; an interactive request that could not start says why in *failure.
  bool Start(const char* tempFileName, const char* url, const char* userAgent, const char* errorCaption,
             bool interactive, const char* formData = nullptr, WebFailure* failure = nullptr);
  // Collects a finished request: false while none has finished. The caller shows
  // Failure() when the request is interactive.
  bool IsFinished();
  // Deletes the temporary file and forgets its name.
  void DeleteFile();

  // Results, valid after IsFinished returned true.
  bool Succeeded() const { return mSuccess; }
  const std::string& TempFilePath() const { return mTempPath; }
  const std::string& Reply() const { return mReply; }
  bool ReplyWasCut() const { return mReplyCut; }
  const WebFailure& Failure() const { return mFailure; }

  State GetState() const { return static_cast<State>(mState.load(std::memory_order_acquire)); }
  bool IsInteractive() const { return mInteractive.load(std::memory_order_acquire); }

 private:
  void ThreadProc();
  void ReleaseAutodial();

  std::string mUrl;
  std::string mUserAgent;
  std::string mErrorCaption;
  std::thread mThread;
  std::atomic<int> mState{kIdle};
  std::atomic<bool> mInteractive{false};
  bool mSuccess = false;
  std::string mTempPath;
  bool mPost = false;
  std::string mFormData;
  std::string mReply;
  bool mReplyCut = false;
  WebFailure mFailure;
  std::unique_ptr<AutodialSetting> mAutodial;
};

// The one request of the program.
WebRequest& TheWebRequest();

}  // namespace corvia
