#pragma once
#include <QByteArray>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

// Reads an X selection the way a pasting client does, over an X connection of
// its own, so that it may run on a worker thread and give up on an owner that
// does not answer. Large transfers (INCR) are followed to their end.
namespace selection {

struct Limits {
  int idleMs = 500;        // the longest silence of the owner before giving up
  int totalMs = 4000;      // the longest the whole read may take
  qsizetype maxBytes = qsizetype(256) << 20;  // per target; larger ones are skipped
};

struct Contents {
  bool owned = false;  // false: nobody owns the selection (it is empty)
  // Each target the owner offered and answered, with its bytes, in the
  // owner's order; targets that carry no data (TARGETS, ...) are not asked for.
  std::vector<std::pair<QByteArray, QByteArray>> targets;
};

// Every target of `selection` ("CLIPBOARD") on the display named by `display`
// (empty: $DISPLAY). None when the display cannot be opened or the owner did
// not answer within the limits. With `owner` (an X window id), only what that
// owner holds: none when another window owns the selection before or after
// the read, since its answers would belong to someone else.
std::optional<Contents> read(const QByteArray& display, const QByteArray& selection, const Limits& limits = {},
                             std::uint32_t owner = 0);

}  // namespace selection
