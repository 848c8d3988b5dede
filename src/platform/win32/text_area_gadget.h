#pragma once

#include "platform/win32/win32_gadget.h"
#include "runtime/gui/styled_text.h"

#include <optional>
#include <richedit.h>
#include <vector>

namespace keyweave::win32 {

// A rich edit text area. Positions and lengths are in characters, a line break counting as
// one, or in lines (units 2). A new whole text goes to a fresh control as rich text streams;
// while the area is locked, the text and the colours given to it are kept here (and read back
// from here) until the last unlock: a long script's view is built in a few bulk operations
// instead of one selection and one format per coloured range. The first stretch of a long
// text is streamed at once and the rest a stretch at a time from a timer, so that the window
// answers at once; until the whole text is in, the gadget answers from its own copy, and any
// change other than a new whole text first streams what is missing.
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

    // Streams the next stretch of a text that is not all in the control yet.
    void StreamMore();

private:
    // The text as the program set it while the control does not hold it all, else none.
    const StyledText* Copy() const;
    CHARRANGE Range(int pos, int length, int units);
    int Length();
    CHARRANGE Selection();
    void Select(CHARRANGE range);
    HWND CreateControl();
    // Hands the pending text to a fresh control in place of the old one: its first stretch.
    void Flush();
    // Streams a part of the streamed text into the control; the stream ends with its last part.
    void Stream(TextRange part);
    void StreamRest();

    std::vector<CHARRANGE> locks_;
    std::optional<Rgb> background_;
    std::optional<StyledText> pending_;
    // The caret and selection of the pending text, as the control will have them.
    CHARRANGE pendingSelection_{};
    // A text not all in the control yet.
    std::optional<StreamedText> streaming_;
    double streamedAt_ = 0; // when the last stretch went in, performance counter milliseconds
};

} // namespace keyweave::win32
