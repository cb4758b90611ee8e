// An INI file in memory for the stores of the settings and the run record: it keeps every write in
// order and can refuse some keys, or every write, the way an unwritable file would.
#pragma once

#include <map>
#include <set>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "config/ini_store.h"
#include "runtime/text/text.h"

namespace korvan {

class FakeIniStore final : public IniStore {
 public:
  using Item = std::pair<Text, Text>;

  Text Read(std::string_view section, std::string_view key) override {
    const auto found = items.find(Item(section, key));
    return found == items.end() ? Text() : found->second;
  }
  bool Write(std::string_view section, std::string_view key, std::string_view value) override {
    writes.emplace_back(Text(section), Text(key), Text(value));
    if (refuseAll || refusedKeys.count(Text(key))) return false;
    items[Item(section, key)] = Text(value);
    return true;
  }
  // The keys written, in order, refused ones included.
  std::vector<Text> WrittenKeys() const {
    std::vector<Text> keys;
    for (const auto& write : writes)
      keys.push_back(std::get<1>(write));
    return keys;
  }

  std::map<Item, Text> items;
  std::set<Text> refusedKeys;
  bool refuseAll = false;
  std::vector<std::tuple<Text, Text, Text>> writes;  // section, key, value
};

// One opening of a FakeIniStore that outlives it, for the books that open their file at each use.
class FakeIniStoreView final : public IniStore {
 public:
  explicit FakeIniStoreView(FakeIniStore& file) : file_(file) {}
  Text Read(std::string_view section, std::string_view key) override { return file_.Read(section, key); }
  bool Write(std::string_view section, std::string_view key, std::string_view value) override {
    return file_.Write(section, key, value);
  }

 private:
  FakeIniStore& file_;
};

}  // namespace korvan
