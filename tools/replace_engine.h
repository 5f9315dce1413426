#pragma once
// Replace-all as the replace dialog defines it: find the leftmost occurrence of
// the search text, replace it, search again from the start of the changed text,
// and so on until none is left. Text that a replacement forms with its
// neighbours is found again, so "aab" with ab -> a gives "a".
//
// Searching from the start after every replacement costs k times n. The same
// result comes from one left-to-right pass: the text before a replacement at p
// held no occurrence, so the next one cannot start before p - |F| + 1. The pass
// keeps the text already looked at in an output buffer with the matcher's state
// at its end; on a match it removes the occurrence from the buffer, puts the
// replacement back in front of the input still to be read, and rebuilds the
// state from the last |F| - 1 characters of the buffer. At every moment the
// text is buffer + pending replacement + rest of the input, so the positions
// it records apply in order to the document. Cost: O(n + k (|F| + |R|)).
//
// The restarting loop may never end: always when the replacement contains the
// search text, and for some other inputs whose text keeps growing (ab -> bbaa
// on "aab"). When the replacement contains the search text, each occurrence
// present at the start is replaced once, left to right, and the inserted text
// is not searched again. Otherwise the loop stops before a replacement once the
// limits below are reached, leaving the text as it then is.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace replace_engine {

enum class Outcome {
    Finished, // no occurrence left: what the restarting loop gives
    OnePass,  // the replacement holds the search text: each first occurrence replaced once
    Stopped,  // a limit was reached before the next replacement
};

struct Limits {
    std::size_t maxSteps;  // replacements made at most
    std::size_t maxLength; // no replacement is made while the text is longer than this
};

// The length of text after each occurrence it holds (leftmost, not
// overlapping) is replaced once: the result of a replace-all in which no
// replacement forms a new occurrence.
template <class Ch>
std::size_t plainResultLength(std::basic_string_view<Ch> text, std::basic_string_view<Ch> find,
                              std::basic_string_view<Ch> replacement);

// The limits of the replace command for a text of textLength characters that
// replacing what it holds makes plainLength long. The text may grow by what replacing the
// occurrences it holds takes (what the user asks for), and by 64 Ki characters
// more: a loop that never ends piles its growth into one word, and laying out
// one unbroken word costs the square of its length (64 Ki characters 0.4 s,
// 1 Mi over two minutes), so that room is the same for every document.
// n or 1 Mi replacements are made, whichever is more: 1 Mi replacements take
// about 3 s when made one at a time. Never past 2^30 characters.
Limits defaultLimits(std::size_t textLength, std::size_t plainLength);
// The same for a text, what it is searched for and what replaces it.
template <class Ch>
Limits defaultLimits(std::basic_string_view<Ch> text, std::basic_string_view<Ch> find,
                     std::basic_string_view<Ch> replacement) {
    return defaultLimits(text.size(), plainResultLength(text, find, replacement));
}

template <class Ch>
struct Result {
    // Each replacement's position in the text as the replacements before it left
    // it; at each, |F| characters were removed and R inserted.
    std::vector<std::size_t> edits;
    std::basic_string<Ch> text; // the text after every replacement
    Outcome outcome = Outcome::Finished;
};

// Replaces as described above. An empty search text finds nothing.
// Instantiated for char and char16_t.
template <class Ch>
Result<Ch> replaceAll(std::basic_string_view<Ch> text, std::basic_string_view<Ch> find,
                      std::basic_string_view<Ch> replacement, const Limits &limits);

template <class Ch>
Result<Ch> replaceAll(std::basic_string_view<Ch> text, std::basic_string_view<Ch> find,
                      std::basic_string_view<Ch> replacement) {
    return replaceAll(text, find, replacement, defaultLimits(text, find, replacement));
}

} // namespace replace_engine
