#pragma once

#include <algorithm>
#include <vector>

namespace keyweave {

// The few list operations of the runtime's TList that the program relies on: members keep
// insertion order, and removal takes the first equal member (pointers compare by identity).
template <typename T, typename U> bool Contains(const std::vector<T>& list, const U& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

template <typename T, typename U> bool RemoveFirst(std::vector<T>& list, const U& item) {
    auto found = std::find(list.begin(), list.end(), item);
    if (found == list.end()) {
        return false;
    }
    list.erase(found);
    return true;
}

} // namespace keyweave
