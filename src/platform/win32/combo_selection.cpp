#include "platform/win32/combo_selection.h"

namespace keyweave::win32 {

int ComboSelection::Select(int index, int op, int count) {
    if (index == -1) {
        for (int item = 0; item < count; ++item) {
            Apply(item, op);
        }
    } else if (index >= 0 && index < count) {
        Apply(index, op);
    }
    return current_;
}

void ComboSelection::Apply(int index, int op) {
    const bool select = op == 1 || (op == 2 && current_ != index);
    if (select) {
        current_ = index;
    } else if (current_ == index) {
        current_ = -1;
    }
}

void ComboSelection::Inserted(int index) {
    if (current_ >= index) {
        ++current_;
    }
}

void ComboSelection::Cleared() {
    current_ = -1;
}

int ComboSelection::SelectionChanged(int shown, bool dropped) {
    if (dropped) {
        return -1;
    }
    return Pick(shown);
}

int ComboSelection::ListClosedWithChoice(int shown) {
    return Pick(shown);
}

int ComboSelection::Pick(int shown) {
    if (shown < 0 || shown == current_) {
        return -1;
    }
    current_ = shown;
    return shown;
}

} // namespace keyweave::win32
