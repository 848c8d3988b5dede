#include "platform/sim/sim_gadgets.h"

#include "platform/platform_input.h"
#include "runtime/gui/text_ranges.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>

namespace keyweave::sim {

namespace {

struct CharRange {
    std::size_t start;
    std::size_t length;
};

// A range given in characters or lines, as characters clipped to the text.
CharRange ToCharRange(const std::u16string& text, int pos, int length, int units) {
    const TextRange range = RangeOf(text, pos, length, units == UnitLines);
    return {static_cast<std::size_t>(range.begin),
            static_cast<std::size_t>(range.end - range.begin)};
}

} // namespace

std::shared_ptr<TGadget> SimGadgetDriver::CreateGadget(int gadgetClass, const std::u16string& text,
                                                       int x, int y, int width, int height,
                                                       const std::shared_ptr<TGadget>&, int style) {
    auto gadget = std::make_shared<SimGadget>(gadgetClass, x, y, width, height, style);
    gadget->SetText(text);
    created_.push_back(gadget);
    return gadget;
}

bool SimGadget::IsList() const {
    return gadgetClass == ComboBoxClass || gadgetClass == ListBoxClass;
}

bool SimGadget::IsTextArea() const {
    return gadgetClass == TextAreaClass;
}

void SimGadget::TextChanged() {
    if (lockCount == 0) {
        ++redraws;
    }
}

void SimGadget::Click() {
    InputGadgetAction(*this, 0, nullptr);
}

void SimGadget::Pick(int index) {
    if (index < 0 || index >= ItemCount()) {
        throw std::out_of_range("no such item to pick");
    }
    if (index == current) {
        return;
    }
    current = index;
    InputGadgetAction(*this, index, items[static_cast<std::size_t>(index)].extra);
}

void SimGadget::UseCloseBox() {
    InputWindowClose(*this);
}

std::vector<SimGadget::Run> SimGadget::ColourRuns() const {
    std::vector<Run> runs;
    for (std::size_t i = 0; i < colours.size(); ++i) {
        if (!colours[i]) {
            continue;
        }
        const bool extendsLast = !runs.empty() && i > 0 && colours[i - 1] == colours[i];
        if (extendsLast) {
            ++runs.back().length;
        } else {
            runs.push_back({static_cast<int>(i), 1, *colours[i]});
        }
    }
    return runs;
}

void SimGadget::SetText(const std::u16string& value) {
    text = value;
}

std::u16string SimGadget::GetText() {
    return text;
}

void SimGadget::SetStatus(const std::u16string& value) {
    if (gadgetClass == WindowClass && (style & WindowStatusBar) != 0) {
        status = value;
    }
}

void SimGadget::SetColor(Rgb colour) {
    background = colour;
    backgroundSet = true;
}

void SimGadget::Clear() {
    if (!IsList()) {
        return;
    }
    items.clear();
    current = -1;
}

void SimGadget::InsertItem(int index, const std::u16string& itemText, const std::u16string&, int,
                           ObjectRef extra, int flags) {
    if (!IsList()) {
        return;
    }
    if (index < 0 || index > ItemCount()) {
        index = ItemCount();
    }
    items.insert(items.begin() + index, Item{itemText, std::move(extra)});
    if (current >= index) {
        ++current;
    }
    if ((flags & 1) != 0) {
        current = index;
    }
}

int SimGadget::ItemCount() {
    return static_cast<int>(items.size());
}

std::u16string SimGadget::ItemText(int index) {
    return index >= 0 && index < ItemCount() ? items[static_cast<std::size_t>(index)].text
                                             : std::u16string{};
}

ObjectRef SimGadget::ItemExtra(int index) {
    return index >= 0 && index < ItemCount() ? items[static_cast<std::size_t>(index)].extra
                                             : nullptr;
}

void SimGadget::SelectItem(int index, int op) {
    if (index == -1) {
        for (int each = 0; each < ItemCount(); ++each) {
            ApplySelection(each, op);
        }
    } else if (index >= 0 && index < ItemCount()) {
        ApplySelection(index, op);
    }
}

void SimGadget::ApplySelection(int index, int op) {
    const bool select = op == 1 || (op == 2 && current != index);
    if (select) {
        current = index;
    } else if (current == index) {
        current = -1;
    }
}

int SimGadget::SelectedItem() {
    return current;
}

void SimGadget::ReplaceText(int pos, int length, const std::u16string& value, int units) {
    if (!IsTextArea()) {
        return;
    }
    const CharRange range = ToCharRange(area, pos, length, units);
    const std::u16string inserted = NormaliseLineBreaks(value);
    area.replace(range.start, range.length, inserted);
    const auto first = colours.begin() + static_cast<std::ptrdiff_t>(range.start);
    colours.erase(first, first + static_cast<std::ptrdiff_t>(range.length));
    colours.insert(colours.begin() + static_cast<std::ptrdiff_t>(range.start), inserted.size(),
                   std::nullopt);
    TextChanged();
}

std::u16string SimGadget::AreaText(int pos, int length, int units) {
    if (!IsTextArea()) {
        return {};
    }
    const CharRange range = ToCharRange(area, pos, length, units);
    return area.substr(range.start, range.length);
}

int SimGadget::AreaLen(int units) {
    if (!IsTextArea()) {
        return 0;
    }
    if (units == UnitLines) {
        return static_cast<int>(std::count(area.begin(), area.end(), u'\n')) + 1;
    }
    return static_cast<int>(area.size());
}

void SimGadget::LockText() {
    if (IsTextArea()) {
        ++lockCount;
    }
}

void SimGadget::UnlockText() {
    if (!IsTextArea() || lockCount == 0) {
        return;
    }
    --lockCount;
    TextChanged();
}

void SimGadget::SetStyle(Rgb colour, int, int pos, int length, int units) {
    if (!IsTextArea() || length == 0) {
        return;
    }
    const CharRange range = ToCharRange(area, pos, length, units);
    std::fill_n(colours.begin() + static_cast<std::ptrdiff_t>(range.start), range.length,
                std::optional<Rgb>{colour});
    TextChanged();
}

} // namespace keyweave::sim
