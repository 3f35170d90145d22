#pragma once
#include <array>
#include <cstddef>
#include <utility>

namespace qnc {

// The three measured tables, in the order the window shows them and the
// configuration file holds them.
enum class TableKind { kDns, kPing, kGame };

inline constexpr std::array<TableKind, 3> kAllTables{TableKind::kDns, TableKind::kPing, TableKind::kGame};

// One value for each table, indexed by its kind; iterating visits them in
// kAllTables order.
template <class T>
class PerTable {
 public:
  constexpr PerTable() = default;
  constexpr PerTable(T dns, T ping, T game) : items_{std::move(dns), std::move(ping), std::move(game)} {}

  // Builds each value in place from make(kind), for values that cannot be copied or moved.
  template <class Make>
  static constexpr PerTable Generate(Make make) {
    return PerTable(InPlace{}, make);
  }

  constexpr T& operator[](TableKind kind) { return items_[Index(kind)]; }
  constexpr const T& operator[](TableKind kind) const { return items_[Index(kind)]; }

  // Range-for needs these exact names.
  constexpr auto begin() { return items_.begin(); }        // NOLINT(readability-identifier-naming)
  constexpr auto end() { return items_.end(); }            // NOLINT(readability-identifier-naming)
  constexpr auto begin() const { return items_.begin(); }  // NOLINT(readability-identifier-naming)
  constexpr auto end() const { return items_.end(); }      // NOLINT(readability-identifier-naming)

  bool operator==(const PerTable&) const = default;

 private:
  struct InPlace {};
  template <class Make>
  constexpr PerTable(InPlace, Make& make)
      : items_{make(TableKind::kDns), make(TableKind::kPing), make(TableKind::kGame)} {}

  static constexpr std::size_t Index(TableKind kind) { return static_cast<std::size_t>(kind); }

  std::array<T, kAllTables.size()> items_{};
};

}  // namespace qnc
