#include "input/injected_list.h"

#include "runtime/list.h"
#include "runtime/strings.h"

namespace keyweave {

namespace {

// The entries are written by DecimalText, so they hold an optional "-" and decimal digits.
std::int32_t CodeFromEntry(const std::u16string& entry) {
    std::int64_t value = 0;
    const bool negative = !entry.empty() && entry.front() == u'-';
    for (std::size_t i = negative ? 1 : 0; i < entry.size(); ++i) {
        value = value * 10 + (entry[i] - u'0');
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

} // namespace

void RecordPress(InjectedList& list, std::int32_t code) {
    list.push_back(DecimalText(code));
}

void RecordRelease(InjectedList& list, std::int32_t code) {
    RemoveFirst(list, DecimalText(code));
}

std::vector<std::int32_t> OutstandingPresses(const InjectedList& list) {
    std::vector<std::int32_t> codes;
    codes.reserve(list.size());
    for (const auto& entry : list) {
        codes.push_back(CodeFromEntry(entry));
    }
    return codes;
}

} // namespace keyweave
