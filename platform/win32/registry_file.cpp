#include "platform/win32/registry_file.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace win32 {
namespace {

std::string_view trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
    text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
    text.remove_suffix(1);
  return text;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads a quoted string at the start of `text`; leaves `text` after the closing quote.
bool readQuoted(std::string_view& text, std::string& out) {
  if (text.empty() || text.front() != '"') return false;
  out.clear();
  for (std::size_t i = 1; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      text.remove_prefix(i + 1);
      return true;
    }
    if (c == '\\' && i + 1 < text.size() && (text[i + 1] == '"' || text[i + 1] == '\\')) {
      out.push_back(text[++i]);
      continue;
    }
    // Any other backslash is a literal one (a hand-typed path): keep it.
    out.push_back(c);
  }
  return false;
}

bool readHexBytes(std::string_view text, std::vector<BYTE>& out) {
  out.clear();
  text = trim(text);
  if (text.empty()) return true;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t comma = text.find(',', start);
    if (comma == std::string_view::npos) comma = text.size();
    const std::string_view item = trim(text.substr(start, comma - start));
    if (item.size() != 2 || hexDigit(item[0]) < 0 || hexDigit(item[1]) < 0) return false;
    out.push_back(static_cast<BYTE>(hexDigit(item[0]) * 16 + hexDigit(item[1])));
    start = comma + 1;
    if (comma == text.size()) break;
  }
  return true;
}

bool readData(std::string_view text, RegistryValue& value, std::string& why) {
  if (!text.empty() && text.front() == '"') {
    std::string s;
    if (!readQuoted(text, s)) {
      why = "unterminated string";
      return false;
    }
    if (!trim(text).empty()) {
      why = "text after the string";
      return false;
    }
    value.type = 1; // REG_SZ
    value.data.assign(s.begin(), s.end());
    value.data.push_back(0);
    return true;
  }
  if (text.substr(0, 6) == "dword:") {
    const std::string_view digits = trim(text.substr(6));
    if (digits.empty() || digits.size() > 8) {
      why = "a dword needs 1 to 8 hex digits";
      return false;
    }
    DWORD number = 0;
    for (char c : digits) {
      if (hexDigit(c) < 0) {
        why = "a dword needs 1 to 8 hex digits";
        return false;
      }
      number = number * 16 + static_cast<DWORD>(hexDigit(c));
    }
    value.type = 4; // REG_DWORD
    value.data = {static_cast<BYTE>(number), static_cast<BYTE>(number >> 8), static_cast<BYTE>(number >> 16),
                  static_cast<BYTE>(number >> 24)};
    return true;
  }
  if (text.substr(0, 4) == "hex:" || text.substr(0, 4) == "hex(") {
    DWORD type = 3; // REG_BINARY
    std::string_view rest = text.substr(3);
    if (rest.front() == '(') {
      const std::size_t close = rest.find(')');
      if (close == std::string_view::npos || close == 1 || close > 9) {
        why = "bad hex type";
        return false;
      }
      type = 0;
      for (char c : rest.substr(1, close - 1)) {
        if (hexDigit(c) < 0) {
          why = "bad hex type";
          return false;
        }
        type = type * 16 + static_cast<DWORD>(hexDigit(c));
      }
      rest.remove_prefix(close + 1);
    }
    if (rest.empty() || rest.front() != ':' || !readHexBytes(rest.substr(1), value.data)) {
      why = "bad hex bytes";
      return false;
    }
    value.type = type;
    return true;
  }
  why = "unknown value form";
  return false;
}

std::string escape(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '"' || c == '\\') out.push_back('\\');
    out.push_back(c);
  }
  return out;
}

bool writableAsString(const RegistryValue& value) {
  if (value.type != 1 || value.data.empty() || value.data.back() != 0) return false;
  return std::none_of(value.data.begin(), value.data.end() - 1,
                      [](BYTE b) { return b == 0 || b == '\n' || b == '\r'; });
}

std::string hexForm(const RegistryValue& value, std::size_t prefixLength) {
  char buffer[16];
  std::string out;
  if (value.type == 3) {
    out = "hex:";
  } else {
    std::snprintf(buffer, sizeof buffer, "hex(%x):", static_cast<unsigned>(value.type));
    out = buffer;
  }
  std::size_t column = prefixLength + out.size();
  for (std::size_t i = 0; i < value.data.size(); ++i) {
    std::snprintf(buffer, sizeof buffer, "%02x", static_cast<unsigned>(value.data[i]));
    out += buffer;
    column += 2;
    if (i + 1 < value.data.size()) {
      out += ',';
      ++column;
      // Long binary values continue on the next line, as regedit wraps them.
      if (column > 76) {
        out += "\\\n  ";
        column = 2;
      }
    }
  }
  return out;
}

} // namespace

bool NoCaseNameLess::operator()(std::string_view a, std::string_view b) const {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
  });
}

RegistryValue* RegistryKey::find(std::string_view name) {
  const auto found = index_.find(name);
  return found == index_.end() ? nullptr : &values_[found->second];
}

void RegistryKey::set(RegistryValue value) {
  if (RegistryValue* existing = find(value.name)) {
    existing->type = value.type;
    existing->data = std::move(value.data);
  } else {
    index_.emplace(value.name, values_.size());
    values_.push_back(std::move(value));
  }
}

bool RegistryKey::erase(std::string_view name) {
  const auto found = index_.find(name);
  if (found == index_.end()) return false;
  const std::size_t position = found->second;
  values_.erase(values_.begin() + static_cast<std::ptrdiff_t>(position));
  index_.erase(found);
  for (auto& entry : index_)
    if (entry.second > position) --entry.second;
  return true;
}

RegistryKey* RegistryDocument::find(std::string_view path) {
  const auto found = index_.find(path);
  return found == index_.end() ? nullptr : &keys_[found->second];
}

RegistryKey& RegistryDocument::add(std::string_view path) {
  if (RegistryKey* existing = find(path)) return *existing;
  index_.emplace(std::string(path), keys_.size());
  return keys_.emplace_back(path);
}

void RegistryDocument::clear() {
  keys_.clear();
  index_.clear();
}

bool RegistryDocument::parse(std::string_view text, RegistryDocument& out, std::string& error) {
  out.clear();
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  std::vector<std::string_view> lines;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  bool header = false;
  RegistryKey* key = nullptr;
  auto fail = [&](std::size_t line, const std::string& why) {
    error = "line " + std::to_string(line + 1) + ": " + why;
    out.clear();
    return false;
  };
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string_view line = trim(lines[i]);
    if (line.empty()) continue;
    if (!header) {
      if (line != "REGEDIT4") return fail(i, "not a REGEDIT4 file");
      header = true;
      continue;
    }
    if (line.front() == ';') continue;
    if (line.front() == '[') {
      if (line.back() != ']' || line.size() < 3) return fail(i, "bad key line");
      const std::string_view path = line.substr(1, line.size() - 2);
      if (path.front() == '-') return fail(i, "key deletion is not supported");
      key = &out.add(path);
      continue;
    }
    if (!key) return fail(i, "value outside a key");
    RegistryValue value;
    std::string_view rest = line;
    if (rest.front() == '@') {
      rest.remove_prefix(1);
    } else if (!readQuoted(rest, value.name)) {
      return fail(i, "bad value name");
    }
    rest = trim(rest);
    if (rest.empty() || rest.front() != '=') return fail(i, "missing '='");
    std::string data(trim(rest.substr(1)));
    // Hex data continues on the following lines while a line ends in a backslash.
    while (data.substr(0, 3) == "hex" && !data.empty() && data.back() == '\\') {
      data.pop_back();
      if (++i >= lines.size()) return fail(i - 1, "hex data continues past the end");
      data += trim(lines[i]);
    }
    std::string why;
    if (!readData(data, value, why)) return fail(i, why);
    key->set(std::move(value));
  }
  if (!header) return fail(0, "not a REGEDIT4 file");
  return true;
}

std::string RegistryDocument::serialize() const {
  std::string out = "REGEDIT4\n";
  for (const RegistryKey& key : keys_) {
    out += "\n[" + key.path() + "]\n";
    for (const RegistryValue& value : key.values()) {
      const std::string name = value.name.empty() ? "@" : "\"" + escape(value.name) + "\"";
      out += name + "=";
      if (writableAsString(value)) {
        out += "\"" +
               escape(std::string_view(reinterpret_cast<const char*>(value.data.data()), value.data.size() - 1)) + "\"";
      } else if (value.type == 4 && value.data.size() == 4) {
        char buffer[16];
        const DWORD number = static_cast<DWORD>(value.data[0]) | static_cast<DWORD>(value.data[1]) << 8 |
                             static_cast<DWORD>(value.data[2]) << 16 | static_cast<DWORD>(value.data[3]) << 24;
        std::snprintf(buffer, sizeof buffer, "dword:%08x", static_cast<unsigned>(number));
        out += buffer;
      } else {
        out += hexForm(value, name.size() + 1);
      }
      out += "\n";
    }
  }
  return out;
}

} // namespace win32
