#include "platform/d3d9/Diagnostics.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace d3d9 {
namespace {

ReportSink& currentSink() {
  static ReportSink sink;
  return sink;
}

bool echoRequested() {
  const char* value = std::getenv("TICKWOOD_LOG");
  return value && *value && std::strcmp(value, "0") != 0;
}

} // namespace

ReportSink setReportSink(ReportSink sink) {
  ReportSink previous = std::move(currentSink());
  currentSink() = std::move(sink);
  return previous;
}

void report(std::string_view line) {
  std::string text(line);
  if (text.empty() || text.back() != '\n') text += '\n';
  if (currentSink()) {
    currentSink()(text);
  } else if (echoRequested()) {
    std::fputs(text.c_str(), stderr);
  }
}

ReportCapture::ReportCapture() {
  previous_ = setReportSink([this](std::string_view line) { lines_.emplace_back(line); });
}

ReportCapture::~ReportCapture() { setReportSink(std::move(previous_)); }

bool ReportCapture::contains(std::string_view line) const {
  for (const std::string& l : lines_)
    if (l == line) return true;
  return false;
}

} // namespace d3d9
