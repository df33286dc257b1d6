// SPDX-License-Identifier: MIT
#include "productselection.h"

#include <algorithm>

namespace nomix {

namespace {
constexpr size_t kMaskBits = 32;
}

ProductSelection ProductSelection::fromStored(size_t count, bool useStored, uint32_t mask,
                                              std::string_view extra) {
    ProductSelection selection(count);
    if (!useStored) {
        return selection;
    }
    for (size_t i = 0; i < count; ++i) {
        if (i < kMaskBits) {
            selection.m_states[i] = (mask >> i) & 1u;
        } else if (i - kMaskBits < extra.size()) {
            selection.m_states[i] = extra[i - kMaskBits] != '0';
        }
    }
    return selection;
}

uint32_t ProductSelection::mask() const {
    uint32_t mask = 0;
    for (size_t i = 0; i < std::min(m_states.size(), kMaskBits); ++i) {
        if (m_states[i]) {
            mask |= 1u << i;
        }
    }
    return mask;
}

std::string ProductSelection::extraStates() const {
    std::string extra;
    for (size_t i = kMaskBits; i < m_states.size(); ++i) {
        extra += m_states[i] ? '1' : '0';
    }
    return extra;
}

bool ProductSelection::allSelected() const {
    return std::all_of(m_states.begin(), m_states.end(), [](bool s) { return s; });
}

} // namespace nomix
