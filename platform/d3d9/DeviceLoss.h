// The lost-device cycle of a device: operational, then lost (TestCooperativeLevel answers
// D3DERR_DEVICELOST), then waiting for a reset (D3DERR_DEVICENOTRESET) until Reset
// succeeds. Loss is caused on purpose (by the test hook or by a schedule of present counts
// from the environment) or by a Reset that failed.
#pragma once

#include "platform/d3d9/d3d9types.h"

#include <string_view>
#include <vector>

namespace d3d9 {

class DeviceLoss {
public:
  enum class Phase { Operational, Lost, NotReset };

  // Loses the device; TestCooperativeLevel reports the loss `lostReports` times (at least once).
  void force(unsigned lostReports);
  // Loses the device right after each of the given Present counts (1 = the first Present).
  void schedule(std::vector<unsigned> presentCounts) { schedule_ = std::move(presentCounts); }
  // Reads a schedule such as "3" or "3,10"; anything unreadable leaves no schedule.
  static std::vector<unsigned> parseSchedule(std::string_view text);

  HRESULT testCooperativeLevel();
  void presented();
  void resetSucceeded() { phase_ = Phase::Operational; }
  // Any failed Reset leaves the device lost, waiting for another Reset (a device that
  // cannot be reset yet stays as it is).
  void resetFailed() {
    if (phase_ != Phase::Lost) phase_ = Phase::NotReset;
  }

  Phase phase() const { return phase_; }
  bool lost() const { return phase_ != Phase::Operational; }

private:
  Phase phase_ = Phase::Operational;
  unsigned lostReports_ = 0;
  unsigned presents_ = 0;
  std::vector<unsigned> schedule_;
};

} // namespace d3d9
