// The 32-bit result of loaders: bit 0 set means success.
#pragma once

#include <cstdint>

namespace engine {

struct Result {
  std::uint32_t value = 0;

  static constexpr Result success() { return Result{1}; }
  static constexpr Result failure() { return Result{0}; }
  static constexpr Result from(bool ok) { return Result{ok ? 1u : 0u}; }

  constexpr bool ok() const { return (value & 1u) != 0; }
  constexpr explicit operator bool() const { return ok(); }

  // Combining keeps a failure over a success: a batch of loads succeeds only if all do.
  constexpr Result operator&(Result other) const { return ok() ? other : *this; }
  constexpr Result& operator&=(Result other) { return *this = *this & other; }
  constexpr bool operator==(const Result&) const = default;
};

} // namespace engine
