// SPDX-License-Identifier: MIT
#include "searchengine.h"

#include "linematcher.h"

namespace nomix {

namespace {

// Lines are scanned in slices of about this many bytes; between slices the
// engine reports progress and, in background mode, lets the user interface
// run. Small enough that a stop is seen at once, large enough to cost nothing.
constexpr size_t kSliceBytes = 256 * 1024;

class LineSearch {
  public:
    LineSearch(const DatabaseLines& lines, const SearchRequest& request, SearchObserver* observer)
        : m_lines(lines), m_request(request), m_observer(observer), m_matcher(request) {}

    SearchOutcome run() {
        const size_t n = m_lines.count();
        if (m_matcher.finder().size() == 0 || n == 0) {
            reportFinalProgress(n);
            return std::move(m_outcome);
        }
        size_t k = 0;
        while (k < n) {
            if (m_observer) {
                m_observer->progressChanged(static_cast<int>(uint64_t(k) * 100 / n));
                if (m_request.background && m_observer->processMessages(m_outcome.hitCount)) {
                    m_outcome.stopped = true;
                    return std::move(m_outcome);
                }
            }
            const size_t sliceEnd = endOfSlice(k);
            searchSlice(k, sliceEnd);
            k = sliceEnd;
        }
        reportFinalProgress(n);
        return std::move(m_outcome);
    }

  private:
    size_t endOfSlice(size_t k) const {
        const size_t target = m_lines.beginOf(k) + kSliceBytes;
        return std::max(k + 1, std::min(m_lines.count(), m_lines.lineAtOrBefore(target) + 1));
    }

    void reportFinalProgress(size_t n) {
        if (m_observer && n > 0) {
            m_observer->progressChanged(static_cast<int>(uint64_t(n - 1) * 100 / n));
        }
    }

    // Lines [first, last): one scan of the buffer for the string; only lines
    // that hold it somewhere inside their own text are split into fields.
    void searchSlice(size_t first, size_t last) {
        const char* const data = m_lines.data();
        const AsciiFinder& finder = m_matcher.finder();
        const size_t m = finder.size();
        const size_t regionEnd = m_lines.endOf(last - 1);
        size_t pos = m_lines.beginOf(first);
        size_t line = first; // the line that holds pos
        while (pos < regionEnd) {
            const size_t offset = finder.find(data + pos, regionEnd - pos);
            if (offset == AsciiFinder::npos) {
                return;
            }
            const size_t at = pos + offset;
            line = lineHolding(at, line, last);
            if (at + m > m_lines.endOf(line)) {
                pos = at + 1; // ran over the end of the line's text
                continue;
            }
            if (m_matcher.matches(m_lines.at(line))) {
                recordHit(line);
            }
            if (line + 1 >= last) {
                return;
            }
            pos = m_lines.beginOf(line + 1);
        }
    }

    // The last line in [from, last) whose text begins at or before `at`,
    // given that line `from` does. The next occurrence is usually a few
    // lines on, so the search gallops forward from `from` instead of
    // bisecting all lines.
    size_t lineHolding(size_t at, size_t from, size_t last) const {
        size_t low = from;
        size_t step = 1;
        while (low + step < last && m_lines.beginOf(low + step) <= at) {
            low += step;
            step *= 2;
        }
        size_t high = std::min(low + step, last); // begins after `at`, or is `last`
        while (high - low > 1) {
            const size_t middle = low + (high - low) / 2;
            if (m_lines.beginOf(middle) <= at) {
                low = middle;
            } else {
                high = middle;
            }
        }
        return low;
    }

    void recordHit(size_t line) {
        ++m_outcome.hitCount;
        if (m_request.updateCounter && m_observer && m_outcome.hitCount % 10 == 0) {
            m_observer->counterChanged(m_outcome.hitCount);
        }
        if (!m_request.numericOnly) {
            m_outcome.hits.push_back(static_cast<uint32_t>(line));
        }
    }

    const DatabaseLines& m_lines;
    const SearchRequest& m_request;
    SearchObserver* m_observer;
    LineMatcher m_matcher;
    SearchOutcome m_outcome;
};

} // namespace

MatchMode decideMatchMode(bool completeMatch, bool firstDown, bool lastDown) {
    if (completeMatch) {
        return MatchMode::CompleteMatch;
    }
    if (firstDown && lastDown) {
        return MatchMode::CompleteMatch;
    }
    if (firstDown) {
        return MatchMode::BeginsWith;
    }
    if (lastDown) {
        return MatchMode::EndsWith;
    }
    return MatchMode::Substring;
}

SearchOutcome runSearch(const DatabaseLines& lines, const SearchRequest& request,
                        SearchObserver* observer) {
    return LineSearch(lines, request, observer).run();
}

} // namespace nomix
