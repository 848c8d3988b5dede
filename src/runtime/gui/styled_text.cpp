#include "runtime/gui/styled_text.h"

#include <algorithm>

namespace keyweave {

StyledText::StyledText(std::u16string text) : text_(std::move(text)), styleOf_(text_.size(), 0) {}

void StyledText::SetStyle(TextRange range, const TextStyle& style) {
    const int size = static_cast<int>(text_.size());
    const int begin = std::clamp(range.begin, 0, size);
    const int end = std::clamp(range.end, begin, size);
    if (begin == end) {
        return;
    }
    auto known = std::find(styles_.begin(), styles_.end(), style);
    if (known == styles_.end()) {
        known = styles_.insert(styles_.end(), style);
    }
    const auto index = static_cast<std::uint32_t>(known - styles_.begin()) + 1;
    std::fill(styleOf_.begin() + begin, styleOf_.begin() + end, index);
}

std::vector<StyledText::Run> StyledText::Runs(TextRange part) const {
    std::vector<Run> runs;
    const int size = static_cast<int>(text_.size());
    const int stop = std::clamp(part.end, 0, size);
    for (int begin = std::clamp(part.begin, 0, stop); begin < stop;) {
        const std::uint32_t index = styleOf_[static_cast<std::size_t>(begin)];
        int end = begin + 1;
        while (end < stop && styleOf_[static_cast<std::size_t>(end)] == index) {
            ++end;
        }
        runs.push_back({begin, end, index == 0 ? nullptr : &styles_[index - 1]});
        begin = end;
    }
    return runs;
}

TextRange StreamedText::NextStretch() {
    const std::u16string_view text = text_.Text();
    auto end = static_cast<std::size_t>(sent_);
    for (int line = 0; line < kStretchLines && end < text.size(); ++line) {
        end = text.find(u'\n', end);
        end = end == std::u16string_view::npos ? text.size() : end + 1;
    }
    const TextRange part{sent_, static_cast<int>(end)};
    sent_ = part.end;
    return part;
}

TextRange StreamedText::Rest() {
    const TextRange part{sent_, static_cast<int>(text_.Text().size())};
    sent_ = part.end;
    return part;
}

} // namespace keyweave
