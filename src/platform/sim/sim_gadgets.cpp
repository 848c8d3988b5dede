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
    if (items_.Pick(index) >= 0) {
        InputGadgetAction(*this, index, items_.Extra(index));
    }
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
    items_.Clear();
}

void SimGadget::InsertItem(int index, const std::u16string& itemText, const std::u16string& tip,
                           int icon, ObjectRef extra, int flags) {
    if (IsList()) {
        items_.Insert(index, {itemText, tip, icon, flags, std::move(extra)});
    }
}

void SimGadget::SelectItem(int index, int op) {
    items_.Select(index, op);
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
