// Matrix products by kind (what the product table saves) and text widening.
#include <benchmark/benchmark.h>

#include <string>

#include "engine/core/Matrix.h"
#include "engine/core/WideString.h"

using namespace engine;

namespace {

Matrix sample(MatrixKind kind) {
  D3DXMATRIX m;
  D3DXVECTOR3 axis(1, 2, 3);
  D3DXMatrixRotationAxis(&m, &axis, 0.3f);
  m._41 = 4;
  if (kind == MatrixKind::General) m._14 = 0.5f;
  if (kind == MatrixKind::Translation) return Matrix::translation(1, 2, 3);
  return Matrix(m, kind);
}

void productOfKinds(benchmark::State& state) {
  const Matrix a = sample(static_cast<MatrixKind>(state.range(0)));
  const Matrix b = sample(static_cast<MatrixKind>(state.range(1)));
  Matrix out;
  for (auto _ : state) {
    multiply(out, a, b);
    benchmark::DoNotOptimize(out);
  }
}
BENCHMARK(productOfKinds)->Args({0, 0})->Args({5, 5})->Args({5, 2})->Args({1, 0});

void widenUtf8(benchmark::State& state) {
  std::string text;
  for (int i = 0; i < 1000; ++i)
    text += "Tick tock \xC3\xA9\xE2\x82\xAC ";
  for (auto _ : state)
    benchmark::DoNotOptimize(widen(text, TextEncoding::Utf8));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(widenUtf8);

} // namespace
