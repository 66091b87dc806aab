#pragma once
// Fast membership tests over an id list while a visible list is rebuilt:
// a user may have hundreds of favorites and a catalog of 200,000 channels,
// so a linear scan per item is out. The set holds views into the list: keep
// the list alive and unchanged while the set is used.
#include <string_view>
#include <unordered_set>

#include "store/settings.h"

class IdSet {
 public:
  IdSet() = default;
  explicit IdSet(const IdList& ids) {
    set_.reserve(ids.size());
    for (const auto& id : ids) set_.insert(std::u16string_view(id));
  }
  bool contains(std::u16string_view id) const { return set_.count(id) != 0; }
  bool empty() const { return set_.empty(); }
  size_t size() const { return set_.size(); }

 private:
  std::unordered_set<std::u16string_view> set_;
};
