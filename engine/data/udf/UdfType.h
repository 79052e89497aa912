// Structure types of a UDF file: named lists of typed fields that let a reader split a
// leaf's bytes into named parts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

struct UdfField {
  std::string name;
  std::string typeName;
  bool isArray = false;
  std::uint32_t elementCount = 0; // only when isArray
};

struct UdfType {
  std::string name;
  std::vector<UdfField> fields;
};

// "int" and "real" 4, "char" and "byte" 1; 0 for every other name.
std::uint32_t builtinTypeSize(std::string_view typeName);

} // namespace engine
