// The committed fuzz corpora (seeds and every input that once found a fault), for the unit
// tests that replay them through the fuzzers' own checks.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

// The bytes of every file in fuzz/corpus/<kind>.
std::vector<std::string> fuzzCorpus(std::string_view kind);

} // namespace testsupport
