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
        : lines_(lines), request_(request), observer_(observer), matcher_(request) {}

    SearchOutcome run() {
        const size_t n = lines_.count();
        if (matcher_.finder().size() == 0 || n == 0) {
            reportFinalProgress(n);
            return std::move(outcome_);
        }
        size_t k = 0;
        while (k < n) {
            if (observer_) {
                observer_->progressChanged(static_cast<int>(uint64_t(k) * 100 / n));
                if (request_.background && observer_->processMessages(outcome_.hitCount)) {
                    outcome_.stopped = true;
                    return std::move(outcome_);
                }
            }
            const size_t sliceEnd = endOfSlice(k);
            searchSlice(k, sliceEnd);
            k = sliceEnd;
        }
        reportFinalProgress(n);
        return std::move(outcome_);
    }

  private:
    size_t endOfSlice(size_t k) const {
        const size_t target = lines_.beginOf(k) + kSliceBytes;
        return std::max(k + 1, std::min(lines_.count(), lines_.lineAtOrBefore(target) + 1));
    }

    void reportFinalProgress(size_t n) {
        if (observer_ && n > 0) {
            observer_->progressChanged(static_cast<int>(uint64_t(n - 1) * 100 / n));
        }
    }

    // Lines [first, last): one scan of the buffer for the string; only lines
    // that hold it somewhere inside their own text are split into fields.
    void searchSlice(size_t first, size_t last) {
        const char* const data = lines_.data();
        const AsciiFinder& finder = matcher_.finder();
        const size_t m = finder.size();
        const size_t regionEnd = lines_.endOf(last - 1);
        size_t pos = lines_.beginOf(first);
        size_t line = first; // the line that holds pos
        while (pos < regionEnd) {
            const size_t offset = finder.find(data + pos, regionEnd - pos);
            if (offset == AsciiFinder::npos) {
                return;
            }
            const size_t at = pos + offset;
            line = lineHolding(at, line, last);
            if (at + m > lines_.endOf(line)) {
                pos = at + 1; // ran over the end of the line's text
                continue;
            }
            if (matcher_.matches(lines_.at(line))) {
                recordHit(line);
            }
            if (line + 1 >= last) {
                return;
            }
            pos = lines_.beginOf(line + 1);
        }
    }

    // The last line in [from, last) whose text begins at or before `at`,
    // given that line `from` does. The next occurrence is usually a few
    // lines on, so the search gallops forward from `from` instead of
    // bisecting all lines.
    size_t lineHolding(size_t at, size_t from, size_t last) const {
        size_t low = from;
        size_t step = 1;
        while (low + step < last && lines_.beginOf(low + step) <= at) {
            low += step;
            step *= 2;
        }
        size_t high = std::min(low + step, last); // begins after `at`, or is `last`
        while (high - low > 1) {
            const size_t middle = low + (high - low) / 2;
            if (lines_.beginOf(middle) <= at) {
                low = middle;
            } else {
                high = middle;
            }
        }
        return low;
    }

    void recordHit(size_t line) {
        ++outcome_.hitCount;
        if (request_.updateCounter && observer_ && outcome_.hitCount % 10 == 0) {
            observer_->counterChanged(outcome_.hitCount);
        }
        if (!request_.numericOnly) {
            outcome_.hits.push_back(static_cast<uint32_t>(line));
        }
    }

    const DatabaseLines& lines_;
    const SearchRequest& request_;
    SearchObserver* observer_;
    LineMatcher matcher_;
    SearchOutcome outcome_;
};

} // namespace

MatchMode DecideMatchMode(bool completeMatch, bool firstDown, bool lastDown) {
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

SearchOutcome RunSearch(const DatabaseLines& lines, const SearchRequest& request,
                        SearchObserver* observer) {
    return LineSearch(lines, request, observer).run();
}

} // namespace nomix
