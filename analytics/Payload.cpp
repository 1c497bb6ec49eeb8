#include "analytics/Payload.h"

#include <algorithm>

namespace analytics {

namespace {

// Beyond this many differing entries a payload gets a base of its own.
constexpr size_t kMaxOwn = 16;

bool keyLess(const Payload::Entry& a, const Payload::Entry& b) { return a.first < b.first; }

}  // namespace

Payload Payload::fromMap(const QMap<QString, QString>& map) {
  Entries entries;
  entries.reserve(static_cast<size_t>(map.size()));
  for (auto it = map.begin(); it != map.end(); ++it) entries.emplace_back(it.key(), it.value());
  Base base;
  return compact(std::move(entries), base);
}

Payload Payload::compact(Entries full, Base& base) {
  Payload p;
  if (base) {
    Entries own;
    bool fits = true;
    auto b = base->begin();
    for (const Entry& e : full) {
      while (b != base->end() && b->first < e.first) {
        fits = false;  // the base has a key this payload lacks
        ++b;
      }
      if (!fits) break;
      if (b != base->end() && b->first == e.first) {
        if (b->second != e.second) own.push_back(e);
        ++b;
      } else {
        own.push_back(e);
      }
      if (own.size() > kMaxOwn) fits = false;
    }
    if (fits && b == base->end()) {
      p.base_ = base;
      p.own_ = std::move(own);
      return p;
    }
  }
  base = std::make_shared<const Entries>(std::move(full));
  p.base_ = base;
  return p;
}

Payload::Entries Payload::entries() const {
  if (!base_) return own_;
  if (own_.empty()) return *base_;
  Entries merged;
  merged.reserve(base_->size() + own_.size());
  auto o = own_.begin();
  for (const Entry& e : *base_) {
    while (o != own_.end() && o->first < e.first) merged.push_back(*o++);
    if (o != own_.end() && o->first == e.first) {
      merged.push_back(*o++);
    } else {
      merged.push_back(e);
    }
  }
  merged.insert(merged.end(), o, own_.end());
  return merged;
}

QMap<QString, QString> Payload::toMap() const {
  QMap<QString, QString> map;
  for (const Entry& e : entries()) map.insert(e.first, e.second);
  return map;
}

std::optional<QString> Payload::value(const QString& key) const {
  const Entry probe{key, QString()};
  for (const Entries* list : {&own_, base_.get()}) {
    if (!list) continue;
    const auto it = std::lower_bound(list->begin(), list->end(), probe, keyLess);
    if (it != list->end() && it->first == key) return it->second;
  }
  return std::nullopt;
}

int Payload::size() const { return static_cast<int>(entries().size()); }

}  // namespace analytics
