#include "platform/win32/resources.h"

#include <map>
#include <memory>
#include <string>

namespace {

struct ResourceKey {
  std::string type; // upper-cased name, or "#<n>" for an integer type
  WORD id;
  bool operator<(const ResourceKey& o) const { return type != o.type ? type < o.type : id < o.id; }
};

struct ResourceBlock {
  const void* data;
  DWORD size;
};

// Blocks live in stable nodes so HRSRC/HGLOBAL handles stay valid while registered.
std::map<ResourceKey, std::unique_ptr<ResourceBlock>>& table() {
  static std::map<ResourceKey, std::unique_ptr<ResourceBlock>> resources;
  return resources;
}

std::string typeKey(std::string_view type) {
  std::string key(type);
  for (char& c : key)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return key;
}

std::string typeKey(WORD integerType) { return "#" + std::to_string(integerType); }

std::string typeKeyOf(LPCSTR type) {
  if (IS_INTRESOURCE(type)) return typeKey(static_cast<WORD>(reinterpret_cast<UINT_PTR>(type)));
  return typeKey(std::string_view(type));
}

// Any non-null value identifies this process' own module.
HMODULE processModule() {
  static char marker;
  return reinterpret_cast<HMODULE>(&marker);
}

} // namespace

HMODULE GetModuleHandleA(LPCSTR moduleName) { return moduleName == nullptr ? processModule() : nullptr; }

HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type) {
  if (module != nullptr && module != processModule()) return nullptr;
  if (!name || !type || !IS_INTRESOURCE(name)) return nullptr;
  const ResourceKey key{typeKeyOf(type), static_cast<WORD>(reinterpret_cast<UINT_PTR>(name))};
  auto it = table().find(key);
  return it == table().end() ? nullptr : reinterpret_cast<HRSRC>(it->second.get());
}

HGLOBAL LoadResource(HMODULE, HRSRC resource) { return resource; }

DWORD SizeofResource(HMODULE, HRSRC resource) {
  return resource ? reinterpret_cast<const ResourceBlock*>(resource)->size : 0;
}

LPVOID LockResource(HGLOBAL loaded) {
  return loaded ? const_cast<void*>(static_cast<const ResourceBlock*>(loaded)->data) : nullptr;
}

namespace win32 {

namespace {
void put(std::string key, WORD id, const void* data, std::size_t size) {
  table()[ResourceKey{std::move(key), id}] =
      std::make_unique<ResourceBlock>(ResourceBlock{data, static_cast<DWORD>(size)});
}
} // namespace

void registerResource(std::string_view type, WORD id, const void* data, std::size_t size) {
  put(typeKey(type), id, data, size);
}
void registerResource(WORD integerType, WORD id, const void* data, std::size_t size) {
  put(typeKey(integerType), id, data, size);
}
void unregisterResource(std::string_view type, WORD id) { table().erase(ResourceKey{typeKey(type), id}); }
void unregisterResource(WORD integerType, WORD id) { table().erase(ResourceKey{typeKey(integerType), id}); }

} // namespace win32
