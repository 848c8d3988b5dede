#pragma once

#include "platform/win32/win32_gadget.h"

namespace keyweave::win32 {

// A combo box; without style bit 1 the user can only pick from the list, and SetText sets
// the prompt shown while no item is selected (the cue banner).
class ComboBoxGadget final : public ControlGadget {
public:
    ComboBoxGadget(int x, int y, int width, int height, int style, GadgetRef group);

    void Command(int notification) override;
    void SetText(const std::u16string& text) override;
    std::u16string GetText() override;
    void Clear() override;
    void InsertItem(int index, const std::u16string& text, const std::u16string& tip, int icon,
                    ObjectRef extra, int flags) override;
    void SelectItem(int index, int op) override;

private:
    bool Editable() const;
    void Show(int index);
    void Report(int picked);
    void FitSelectionField(int height);

    std::u16string cue_;
    bool quiet_ = false;
};

} // namespace keyweave::win32
