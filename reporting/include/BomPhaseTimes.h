// PhaseTimes: the wall time and the peak memory of each phase of a report
// (read, merge, evaluate, write), for users who want to see where the time of
// a large model goes. ReportJob::evaluate records reading the parts, merging
// (units of the file, equal parts, derived tokens) and evaluating in the
// EvaluatedReport it returns; a front end records writing in the same record.
//
// Peak memory is the largest resident set of the whole process so far, so it
// never falls from one phase to the next; 0 where the system does not say.
//
// Not thread-safe: one record is filled and read by one thread at a time.
#ifndef BOM_PHASE_TIMES_H_
#define BOM_PHASE_TIMES_H_

#include <chrono>
#include <string>
#include <vector>

#include "BomReportExport.h"

namespace bomreport {

struct PhaseTime {
  std::string name;
  double seconds = 0.0;
  long long peakBytes = 0;  // of the process, when the phase ended
};

class BOM_REPORT_API PhaseTimes {
 public:
  // Ends the phase running, if any, and starts timing `name`.
  void begin(std::string name);
  // Ends the phase running, if any.
  void end();

  // The phases ended, in order.
  const std::vector<PhaseTime>& phases() const { return phases_; }
  // One line per phase ended: "read 0.612 s, peak 540 MiB", each after `prefix`.
  std::string text(const std::string& prefix) const;

 private:
  std::vector<PhaseTime> phases_;
  std::string running_;  // empty when no phase runs
  std::chrono::steady_clock::time_point start_;
};

}  // namespace bomreport

#endif  // BOM_PHASE_TIMES_H_
