// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace nomix {

// One selection state per product. The stored form keeps its old shape:
// `LastSelection` carries the first 32 products bit for bit,
// and the products from the 33rd on travel in a text of '1' and '0'
// (LastSelectionEx), so no product's state ever depends on another's.
class ProductSelection {
  public:
    ProductSelection() = default;
    explicit ProductSelection(size_t count) : m_states(count, true) {}

    // The states a fresh load gives: every product selected, unless
    // `useStored` (the "load last selection" option) is on; then products
    // 1 to 32 follow `mask` and later ones `extra`, a missing or short
    // `extra` leaving the rest selected.
    static ProductSelection fromStored(size_t count, bool useStored, uint32_t mask,
                                       std::string_view extra);

    size_t count() const { return m_states.size(); }
    bool isSelected(size_t index) const { return index < m_states.size() && m_states[index]; }
    void setSelected(size_t index, bool selected) { m_states.at(index) = selected; }
    const std::vector<bool>& states() const { return m_states; }

    // LastSelection: bit i set when product i (i < 32) is selected.
    uint32_t mask() const;
    // LastSelectionEx: one character per product from the 33rd on.
    std::string extraStates() const;
    // True when no product is left out.
    bool allSelected() const;

  private:
    std::vector<bool> m_states;
};

} // namespace nomix
