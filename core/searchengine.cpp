#include "searchengine.h"

#include "asciifinder.h"

#include <cstring>

namespace nomix {

namespace {

// Lines are scanned in slices of about this many bytes; between slices the
// engine reports progress and, in background mode, lets the user interface
// run. Small enough that a stop is seen at once, large enough to cost nothing.
constexpr size_t kSliceBytes = 256 * 1024;

class LineSearch {
  public:
    LineSearch(const DatabaseLines& lines, const SearchRequest& request, SearchObserver* observer)
        : lines_(lines), request_(request), observer_(observer),
          finder_(UpperCaseAscii(request.text)) {}

    SearchOutcome run() {
        const size_t n = lines_.count();
        if (finder_.size() == 0 || n == 0) {
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
        const size_t m = finder_.size();
        const size_t regionEnd = lines_.endOf(last - 1);
        size_t pos = lines_.beginOf(first);
        size_t line = first; // the line that holds pos
        while (pos < regionEnd) {
            const size_t offset = finder_.find(data + pos, regionEnd - pos);
            if (offset == AsciiFinder::npos) {
                return;
            }
            const size_t at = pos + offset;
            line = lineHolding(at, line, last);
            if (at + m > lines_.endOf(line)) {
                pos = at + 1; // ran over the end of the line's text
                continue;
            }
            if (lineMatches(lines_.at(line))) {
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

    bool lineMatches(std::string_view line) const {
        if (request_.allProductsSelected && request_.mode == MatchMode::Substring) {
            return true;
        }
        // The fields in order, each the same as FieldAtByChar(c + 1, line, '|').
        const char* p = line.data();
        const char* const end = p + line.size();
        for (size_t column = 0; column < request_.columnCount; ++column) {
            while (p < end && *p == '|') {
                ++p;
            }
            if (p == end) {
                return false; // no field left: the later columns are empty
            }
            const void* bar = std::memchr(p, '|', static_cast<size_t>(end - p));
            const char* fieldEnd = bar ? static_cast<const char*>(bar) : end;
            if (isSelected(column) &&
                fieldMatches(std::string_view(p, static_cast<size_t>(fieldEnd - p)))) {
                return true;
            }
            p = fieldEnd;
        }
        return false;
    }

    bool isSelected(size_t column) const {
        return column < request_.selected.size() && request_.selected[column];
    }

    // The mode's test on the first occurrence of the string in the field,
    // answered without searching the whole field where the mode allows:
    // the first occurrence is at the start exactly when the field begins
    // with the string, and it can end the field only if the field ends
    // with it.
    bool fieldMatches(std::string_view field) const {
        const size_t m = finder_.size();
        if (field.size() < m) {
            return false;
        }
        const size_t tail = field.size() - m;
        switch (request_.mode) {
        case MatchMode::Substring:
            return finder_.find(field) != AsciiFinder::npos;
        case MatchMode::BeginsWith:
            return finder_.matchesAt(field.data());
        case MatchMode::EndsWith:
            return finder_.matchesAt(field.data() + tail) && finder_.find(field) == tail;
        case MatchMode::CompleteMatch:
            return tail == 0 && finder_.matchesAt(field.data());
        }
        return false;
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
    AsciiFinder finder_;
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
