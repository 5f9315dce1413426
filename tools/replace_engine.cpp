#include "tools/replace_engine.h"

#include <algorithm>

namespace replace_engine {

namespace {

// Knuth-Morris-Pratt matcher: the state is the length of the longest suffix of
// the text read so far that is a prefix of the pattern.
template <class Ch>
class Matcher {
public:
    explicit Matcher(std::basic_string_view<Ch> pattern) : p_(pattern), border_(pattern.size(), 0) {
        for (std::size_t i = 1, k = 0; i < p_.size(); ++i) {
            while (k > 0 && p_[i] != p_[k])
                k = border_[k - 1];
            if (p_[i] == p_[k])
                ++k;
            border_[i] = k;
        }
    }

    std::size_t size() const { return p_.size(); }

    std::size_t next(std::size_t state, Ch c) const {
        while (state > 0 && p_[state] != c)
            state = border_[state - 1];
        return p_[state] == c ? state + 1 : 0;
    }

    // The state after reading s from the start, given that s holds no whole occurrence.
    std::size_t run(std::basic_string_view<Ch> s) const {
        std::size_t state = 0;
        for (Ch c : s)
            state = next(state, c);
        return state;
    }

private:
    std::basic_string_view<Ch> p_;
    std::vector<std::size_t> border_; // border_[i]: longest proper border of p_[0..i]
};

} // namespace

template <class Ch>
std::size_t plainResultLength(std::basic_string_view<Ch> text, std::basic_string_view<Ch> find,
                              std::basic_string_view<Ch> replacement) {
    if (find.empty())
        return text.size();
    const Matcher<Ch> matcher(find);
    std::size_t occurrences = 0, state = 0;
    for (Ch c : text) {
        state = matcher.next(state, c);
        if (state == find.size()) {
            ++occurrences;
            state = 0;
        }
    }
    return text.size() - occurrences * find.size() + occurrences * replacement.size();
}

Limits defaultLimits(std::size_t textLength, std::size_t plainLength) {
    constexpr std::size_t kRunaway = std::size_t(1) << 16;
    constexpr std::size_t kSteps = std::size_t(1) << 20;
    constexpr std::size_t kCeiling = std::size_t(1) << 30; // positions stay within int
    const std::size_t asked = std::max(textLength, plainLength);
    return {std::max(textLength, kSteps), std::min(asked + kRunaway, std::max(textLength, kCeiling))};
}

template <class Ch>
Result<Ch> replaceAll(std::basic_string_view<Ch> text, std::basic_string_view<Ch> find,
                      std::basic_string_view<Ch> replacement, const Limits &limits) {
    Result<Ch> result;
    if (find.empty() || text.size() < find.size()) {
        result.text.assign(text);
        return result;
    }
    const bool onePass = replacement.find(find) != std::basic_string_view<Ch>::npos;
    const Matcher<Ch> matcher(find);
    const std::size_t m = find.size();

    std::basic_string<Ch> &out = result.text; // text looked at: no occurrence but at its end
    out.reserve(text.size());
    std::basic_string<Ch> pending;            // replacement text still to be read, as a stack
    std::size_t in = 0;                       // next character of text to read
    std::size_t state = 0;

    for (;;) {
        bool matched = false;
        if (!pending.empty()) {
            const Ch c = pending.back();
            pending.pop_back();
            out.push_back(c);
            state = matcher.next(state, c);
            matched = state == m;
        } else {
            // Straight from the input, a run at a time.
            const std::size_t from = in;
            while (in < text.size()) {
                state = matcher.next(state, text[in++]);
                if (state == m) {
                    matched = true;
                    break;
                }
            }
            out.append(text.substr(from, in - from));
            if (!matched)
                break;
        }
        if (!matched)
            continue;

        const std::size_t length = out.size() + pending.size() + (text.size() - in);
        if (result.edits.size() >= limits.maxSteps || length > limits.maxLength) {
            result.outcome = Outcome::Stopped;
            break;
        }
        const std::size_t pos = out.size() - m;
        result.edits.push_back(pos);
        out.resize(pos);
        if (onePass) {
            // The inserted text is not searched again.
            out.append(replacement);
            state = 0;
        } else {
            // Read the replacement again, in front of the rest of the input.
            pending.append(replacement.rbegin(), replacement.rend());
            const std::size_t keep = std::min(pos, m - 1);
            state = matcher.run(std::basic_string_view<Ch>(out).substr(pos - keep));
        }
    }

    if (result.outcome != Outcome::Stopped && onePass && !result.edits.empty())
        result.outcome = Outcome::OnePass;
    out.append(pending.rbegin(), pending.rend());
    out.append(text.substr(in));
    return result;
}

template std::size_t plainResultLength<char>(std::string_view, std::string_view, std::string_view);
template std::size_t plainResultLength<char16_t>(std::u16string_view, std::u16string_view, std::u16string_view);
template Result<char> replaceAll<char>(std::string_view, std::string_view, std::string_view, const Limits &);
template Result<char16_t> replaceAll<char16_t>(std::u16string_view, std::u16string_view, std::u16string_view,
                                               const Limits &);

} // namespace replace_engine
