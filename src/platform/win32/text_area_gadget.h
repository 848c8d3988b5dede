#pragma once

#include "platform/win32/win32_gadget.h"

#include <richedit.h>
#include <vector>

namespace keyweave::win32 {

// A rich edit text area. Positions and lengths are in characters, a line break counting as
// one, or in lines (units 2).
class TextAreaGadget final : public ControlGadget {
public:
    TextAreaGadget(int x, int y, int width, int height, int style, GadgetRef group);

    void SetText(const std::u16string& text) override;
    std::u16string GetText() override;
    void SetColor(Rgb colour) override;
    void ReplaceText(int pos, int length, const std::u16string& text, int units) override;
    std::u16string AreaText(int pos, int length, int units) override;
    int AreaLen(int units) override;
    void LockText() override;
    void UnlockText() override;
    void SetStyle(Rgb colour, int flags, int pos, int length, int units) override;

private:
    CHARRANGE Range(int pos, int length, int units);
    int Length();
    CHARRANGE Selection();
    void Select(CHARRANGE range);

    std::vector<CHARRANGE> locks_;
};

} // namespace keyweave::win32
