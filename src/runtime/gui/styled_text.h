#pragma once

#include "runtime/gui/gadget.h"
#include "runtime/gui/text_ranges.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
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

// A long text on its way into a text area's control a stretch of lines at a time: the first
// stretch at once, then one stretch a pump, each after the control has laid out the one before,
// so that the window answers however long the text is. The text area answers from here until
// the whole text is in, and hands over the rest at once before any other change.
class StreamedText {
public:
    // A stretch: a few milliseconds' work for a control's layout, even for Wine's rich edit,
    // which lays out about 20 lines a millisecond.
    static constexpr int kStretchLines = 500;

    explicit StreamedText(StyledText text) : text_(std::move(text)) {}

    const StyledText& Styled() const { return text_; }

    // How many code units of the text the control has been handed.
    int Sent() const { return sent_; }
    bool AllSent() const { return sent_ == static_cast<int>(text_.Text().size()); }

    // The part of the text to hand over next: the next stretch, which ends just after its last
    // line break or with the text; or all of the text not handed over yet.
    TextRange NextStretch();
    TextRange Rest();

private:
    StyledText text_;
    int sent_ = 0;
};

} // namespace keyweave
