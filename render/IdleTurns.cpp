#include "render/IdleTurns.h"

#include "core/Progress.h"

namespace corvia {

bool RunIdleTurns(const IdleTurns& work) {
  IdleTurnReport report;
  // Nothing waiting opens no progress level.
  if (!work.waits(report)) return true;
  const int cancels = GetProgressCancelCount();
  ProgressScope progress;
  bool going = GetProgressCancelCount() == cancels;
  while (going && work.waits(report)) {
    const size_t all = report.done + report.left;
    going = UpdateProgress(all ? double(report.done) / double(all) : 1.0, "%s", report.caption.c_str());
    if (going) work.turn();
  }
  if (going) return true;
  work.cancelled(!WasProgressCancelRequested());
  return false;
}

}  // namespace corvia
