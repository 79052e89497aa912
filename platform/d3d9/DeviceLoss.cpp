#include "platform/d3d9/DeviceLoss.h"

#include <algorithm>
#include <charconv>

namespace d3d9 {

void DeviceLoss::force(unsigned lostReports) {
  phase_ = Phase::Lost;
  lostReports_ = std::max(1u, lostReports);
}

std::vector<unsigned> DeviceLoss::parseSchedule(std::string_view text) {
  std::vector<unsigned> counts;
  while (!text.empty()) {
    const std::size_t comma = text.find(',');
    const std::string_view item = text.substr(0, comma);
    unsigned value = 0;
    auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), value);
    if (error != std::errc() || end != item.data() + item.size() || value == 0) return {};
    counts.push_back(value);
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  return counts;
}

HRESULT DeviceLoss::testCooperativeLevel() {
  switch (phase_) {
  case Phase::Operational:
    return D3D_OK;
  case Phase::Lost:
    if (--lostReports_ == 0) phase_ = Phase::NotReset;
    return D3DERR_DEVICELOST;
  case Phase::NotReset:
    return D3DERR_DEVICENOTRESET;
  }
  return D3D_OK;
}

void DeviceLoss::presented() {
  ++presents_;
  if (std::find(schedule_.begin(), schedule_.end(), presents_) != schedule_.end()) force(1);
}

} // namespace d3d9
