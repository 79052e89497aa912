// Structure-aware mutation of UDF files for the fuzzers of their consumers (the scene
// loader): the input is read as a tree, nodes are duplicated, renamed (often to another
// node's name in other letter case), moved, deleted and retyped, numbers and sizes are
// changed, and the tree is written back with the engine's UDF writer. Byte-level damage
// stays possible through the byte mutator the caller passes (libFuzzer's own).
#pragma once

#include <cstddef>
#include <cstdint>

namespace fuzztargets {

// Mutates `size` bytes of `data` in place into at most `maxSize` bytes; answers the new size.
using ByteMutator = std::size_t (*)(std::uint8_t* data, std::size_t size, std::size_t maxSize);

// One mutation step: usually structural (when the input reads as UDF), sometimes the
// bytes alone. Answers the new size (at most `maxSize`).
std::size_t mutateUdf(std::uint8_t* data, std::size_t size, std::size_t maxSize, unsigned seed,
                      ByteMutator mutateBytes);

// A subtree of the second file grafted into a list of the first; 0 when either is not UDF
// or the result does not fit.
std::size_t crossOverUdf(const std::uint8_t* first, std::size_t firstSize, const std::uint8_t* second,
                         std::size_t secondSize, std::uint8_t* out, std::size_t maxOutSize, unsigned seed);

} // namespace fuzztargets
