#pragma once

#include "runtime/gui/gadget.h"
#include "runtime/gui/text_ranges.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace keyweave {

// The style flags of SetStyle.
enum TextStyleFlag {
    TextBold = 1,
    TextItalic = 2,
    TextUnderline = 4,
    TextStrikeThrough = 8,
};

// How a range of a text area looks: its colour and its style flags.
struct TextStyle {
    Rgb colour;
    int flags = 0;
    friend bool operator==(const TextStyle&, const TextStyle&) = default;
};

// A text area's whole text and the style of each character, as a batch of changes builds
// them: the text replaced, then ranges styled one after another, the last style given to a
// character winning. A platform hands the result to its control in a few bulk operations
// instead of one call per range.
class StyledText {
public:
    explicit StyledText(std::u16string text);

    const std::u16string& Text() const { return text_; }

    // Gives the characters of `range` (clipped to the text) this style.
    void SetStyle(TextRange range, const TextStyle& style);

    // A stretch of characters of one style; `style` is null for characters that were never
    // styled and keep the control's default look.
    struct Run {
        int begin;
        int end;
        const TextStyle* style;
    };

    // The runs of the characters in `part` (clipped to the text), in order, covering it without
    // gaps and cut at its ends; none for an empty part. A control that takes the text a stretch
    // at a time asks for each stretch's runs, so the whole costs time linear in its length.
    std::vector<Run> Runs(TextRange part) const;

    // The whole text's runs.
    std::vector<Run> Runs() const { return Runs({0, static_cast<int>(text_.size())}); }

    // Every style given so far, each once, in the order it was first given.
    const std::vector<TextStyle>& Styles() const { return styles_; }

private:
    std::u16string text_;
    std::vector<TextStyle> styles_;
    // Per character: 0 for the default look, else 1 + the index of its style.
    std::vector<std::uint32_t> styleOf_;
};

// Where the stretch of `lines` lines that starts at `from` ends: just after its last line
// break, or at the end of the text. Text areas hand a long text to their control a stretch at
// a time.
int StretchEnd(std::u16string_view text, int from, int lines);

} // namespace keyweave
