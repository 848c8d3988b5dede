#include "runtime/gui/combo_box_model.h"

#include <algorithm>

namespace keyweave {

std::u16string ComboBoxModel::Text(int index) const {
    return index >= 0 && index < Count() ? items_[static_cast<std::size_t>(index)].text
                                         : std::u16string{};
}

ObjectRef ComboBoxModel::Extra(int index) const {
    return index >= 0 && index < Count() ? items_[static_cast<std::size_t>(index)].extra : nullptr;
}

int ComboBoxModel::Insert(int index, TGadgetItem item) {
    index = std::clamp(index, 0, Count());
    const bool selected = (item.flags & 1) != 0;
    items_.insert(items_.begin() + index, std::move(item));
    if (current_ >= index) {
        ++current_;
    }
    if (selected) {
        current_ = index;
    }
    return index;
}

void ComboBoxModel::Clear() {
    items_.clear();
    current_ = -1;
}

int ComboBoxModel::Select(int index, int op) {
    if (index == -1) {
        for (int item = 0; item < Count(); ++item) {
            Apply(item, op);
        }
    } else if (index >= 0 && index < Count()) {
        Apply(index, op);
    }
    return current_;
}

void ComboBoxModel::Apply(int index, int op) {
    const bool select = op == 1 || (op == 2 && current_ != index);
    if (select) {
        current_ = index;
    } else if (current_ == index) {
        current_ = -1;
    }
}

int ComboBoxModel::SelectionChanged(int shown, bool dropped) {
    return dropped ? -1 : Pick(shown);
}

int ComboBoxModel::Pick(int shown) {
    if (shown < 0 || shown >= Count() || shown == current_) {
        return -1;
    }
    current_ = shown;
    return shown;
}

} // namespace keyweave
