#pragma once
#include <QMap>
#include <QString>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace analytics {

// The text-to-text payload of one signal, stored compactly: most of it is the
// default payload, the same for many signals in a row, so a payload shares a
// base list with its neighbours and keeps only the entries that differ.
class Payload {
 public:
  using Entry = std::pair<QString, QString>;
  using Entries = std::vector<Entry>;  // sorted by key, keys unique
  using Base = std::shared_ptr<const Entries>;

  Payload() = default;
  static Payload fromMap(const QMap<QString, QString>& map);
  // The payload of `full` (sorted, unique), sharing `base` when it differs
  // from it by a few added or changed entries; otherwise it becomes the new
  // base and `base` is replaced by it.
  static Payload compact(Entries full, Base& base);

  QMap<QString, QString> toMap() const;
  Entries entries() const;
  std::optional<QString> value(const QString& key) const;
  int size() const;
  bool operator==(const Payload& other) const { return entries() == other.entries(); }

 private:
  Base base_;
  Entries own_;  // entries over the base, sorted
};

}  // namespace analytics
