#include "productselection.h"

#include <algorithm>

namespace nomix {

namespace {
constexpr size_t kMaskBits = 32;
}

ProductSelection ProductSelection::FromStored(size_t count, bool useStored, uint32_t mask,
                                              std::string_view extra) {
    ProductSelection selection(count);
    if (!useStored) {
        return selection;
    }
    for (size_t i = 0; i < count; ++i) {
        if (i < kMaskBits) {
            selection.states_[i] = (mask >> i) & 1u;
        } else if (i - kMaskBits < extra.size()) {
            selection.states_[i] = extra[i - kMaskBits] != '0';
        }
    }
    return selection;
}

uint32_t ProductSelection::mask() const {
    uint32_t mask = 0;
    for (size_t i = 0; i < std::min(states_.size(), kMaskBits); ++i) {
        if (states_[i]) {
            mask |= 1u << i;
        }
    }
    return mask;
}

std::string ProductSelection::extraStates() const {
    std::string extra;
    for (size_t i = kMaskBits; i < states_.size(); ++i) {
        extra += states_[i] ? '1' : '0';
    }
    return extra;
}

bool ProductSelection::allSelected() const {
    return std::all_of(states_.begin(), states_.end(), [](bool s) { return s; });
}

} // namespace nomix
