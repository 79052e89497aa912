#include "platform/d3d9/recording/RecordingDirect3D.h"

#include <cstdio>

namespace d3d9 {

std::string RecordedCall::text() const {
  std::string out = method + "(";
  bool first = true;
  for (std::uint64_t arg : args) {
    if (!first) out += ", ";
    out += std::to_string(arg);
    first = false;
  }
  for (float value : floats) {
    if (!first) out += ", ";
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", static_cast<double>(value));
    out += buffer;
    first = false;
  }
  return out + ")";
}

std::vector<std::uint64_t> presentParameterArgs(const D3DPRESENT_PARAMETERS* p) {
  if (!p) return {};
  auto u = [](DWORD value) -> std::uint64_t { return value; };
  return {p->BackBufferWidth,    p->BackBufferHeight,          u(p->BackBufferFormat), u(p->MultiSampleType),
          u(DWORD(p->Windowed)), u(p->AutoDepthStencilFormat), p->PresentationInterval};
}

std::size_t CallLog::count(std::string_view method) const {
  std::size_t n = 0;
  for (const RecordedCall& call : calls_)
    if (call.method == method) ++n;
  return n;
}

std::vector<RecordedCall> CallLog::named(std::string_view method) const {
  std::vector<RecordedCall> out;
  for (const RecordedCall& call : calls_)
    if (call.method == method) out.push_back(call);
  return out;
}

void CallLog::script(std::string_view method, HRESULT result, unsigned times) {
  auto& queue = queued_[std::string(method)];
  queue.insert(queue.end(), times, result);
}

void CallLog::scriptAlways(std::string_view method, HRESULT result) { always_[std::string(method)] = result; }

void CallLog::clearScripts() {
  queued_.clear();
  always_.clear();
}

std::optional<HRESULT> CallLog::takeScripted(std::string_view method) {
  auto queued = queued_.find(method);
  if (queued != queued_.end() && !queued->second.empty()) {
    const HRESULT result = queued->second.front();
    queued->second.erase(queued->second.begin());
    return result;
  }
  auto always = always_.find(method);
  if (always != always_.end()) return always->second;
  return std::nullopt;
}

// Resources are keyed by their most-derived address, so a texture passed as a base
// texture finds the id it was created under.
void CallLog::registerResource(const IUnknown* resource) {
  if (resource) ids_[dynamic_cast<const void*>(resource)] = ++lastId_;
}

std::uint64_t CallLog::idOf(const IUnknown* resource) const {
  if (!resource) return 0;
  auto it = ids_.find(dynamic_cast<const void*>(resource));
  return it == ids_.end() ? 0 : it->second;
}

} // namespace d3d9
