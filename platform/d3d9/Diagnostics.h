// Where the Direct3D and D3DX stand-ins report what went wrong, one line at a time. The
// program routes the lines into its own log; tests capture them to check the exact text.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace d3d9 {

using ReportSink = std::function<void(std::string_view line)>;

// Replaces the sink and answers the previous one. Without a sink, lines go to stderr when
// TICKWOOD_LOG is set to something other than "0", and nowhere otherwise.
ReportSink setReportSink(ReportSink sink);

// Reports one line; a line that does not end in "\n" gets one.
void report(std::string_view line);

// Collects the lines reported while it exists (for tests); restores the previous sink.
class ReportCapture {
public:
  ReportCapture();
  ~ReportCapture();
  ReportCapture(const ReportCapture&) = delete;
  ReportCapture& operator=(const ReportCapture&) = delete;

  const std::vector<std::string>& lines() const { return lines_; }
  bool contains(std::string_view line) const;

private:
  std::vector<std::string> lines_;
  ReportSink previous_;
};

} // namespace d3d9
