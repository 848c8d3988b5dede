#pragma once

#include "runtime/object.h"

#include <string>
#include <vector>

namespace keyweave {

// One item of a list-type gadget.
struct TGadgetItem {
    std::u16string text;
    std::u16string tip;
    int icon = -1;
    int flags = 0; // 1: selected when inserted
    ObjectRef extra;
};

// A combo box that shows one selection: its items, its current item, and which of the
// user's picks it reports. Every gadget has one (empty but for list-type gadgets); a
// platform's combo box changes it, shows what it says and reports the picks it returns. A
// choice of the program (Select, an item inserted with flag 1) is no pick, and neither is a
// pick of the item that is current already.
class ComboBoxModel {
public:
    const std::vector<TGadgetItem>& Items() const { return items_; }
    int Count() const { return static_cast<int>(items_.size()); }
    // An item's text and extra object; empty and none outside the list.
    std::u16string Text(int index) const;
    ObjectRef Extra(int index) const;
    // The item shown as selected, -1 for none.
    const int& Current() const { return current_; }

    // Inserts the item at `index`, clipped to the list, and returns where it went. The
    // current item stays current; an item with flag 1 becomes the current one.
    int Insert(int index, TGadgetItem item);
    void Clear();

    // SelectItem: op 0 deselects, 1 selects, 2 toggles; index -1 applies op to every item in
    // turn, first to last; other indices outside the list change nothing. Returns the item
    // to show, -1 for none.
    int Select(int index, int op);

    // The control changed its selection to `shown` (-1 for none) while its list is `dropped`
    // or not: while the list is open the user is only browsing. Returns the item picked, to
    // be reported, or -1.
    int SelectionChanged(int shown, bool dropped);

    // The user chose `shown` (the list closed with a choice). Returns it as the item picked,
    // or -1 when it is no item or the current one.
    int Pick(int shown);

private:
    void Apply(int index, int op);

    std::vector<TGadgetItem> items_;
    int current_ = -1;
};

} // namespace keyweave
