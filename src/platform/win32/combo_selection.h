#pragma once

namespace keyweave::win32 {

// The current item of a combo box that cannot be edited, and which selection changes of the
// control are the user's picks. A pick of the current item is no pick; while the list is
// open the user is only browsing, and the pick happens when the list closes with a choice.
class ComboSelection {
public:
    int Current() const { return current_; }

    // SelectItem: op 0 deselects, 1 selects, 2 toggles; index -1 applies op to every item in
    // turn, first to last. Returns the item to show, -1 for none.
    int Select(int index, int op, int count);

    // An item was inserted at `index`, or every item removed.
    void Inserted(int index);
    void Cleared();

    // The control changed its selection to `shown` while its list is `dropped` or not; or the
    // user closed the list with `shown` chosen. Returns the picked item to report, or -1.
    int SelectionChanged(int shown, bool dropped);
    int ListClosedWithChoice(int shown);

private:
    void Apply(int index, int op);
    int Pick(int shown);

    int current_ = -1;
};

} // namespace keyweave::win32
