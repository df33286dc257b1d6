// SPDX-License-Identifier: MIT
#pragma once

#include "core/producttable.h"
#include "labellingrules.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace nomix {

// The family most products agree on for one line of the name database: each
// product's label is cut into words, the words become tags through the
// rules, and every family tag or word the rules do not know gets one vote
// per product that gave it. Labels that are not names (NO_VIRUS,
// UNKNOWN_VIRUS, '~' notes, the SHA-256 column) take no part; a label that
// another product already gave the line is not counted again, since such
// products share one engine. A tag needs two products; the most votes win,
// a tie goes to the greater name in byte order.
//
// The rules are compiled once into one table of every word they know, so
// the vote of a line costs a hash look-up per word and no allocation:
// millions of lines are voted in seconds.
class FamilyVote {
  public:
    // The buffers one thread reuses from line to line. The view familyOf
    // returns with it lasts until its next use.
    class Scratch {
      public:
        Scratch();
        ~Scratch();
        Scratch(const Scratch&) = delete;
        Scratch& operator=(const Scratch&) = delete;

      private:
        friend class FamilyVote;
        struct Tables;
        std::unique_ptr<Tables> m_tables;
    };

    FamilyVote(const LabellingRules& rules, const ProductTable& products);
    ~FamilyVote();
    FamilyVote(const FamilyVote&) = delete;
    FamilyVote& operator=(const FamilyVote&) = delete;
    FamilyVote(FamilyVote&&) noexcept;
    FamilyVote& operator=(FamilyVote&&) noexcept;

    // The family of one database line; empty when the line has none.
    std::string familyOf(std::string_view line) const;
    // The same without allocating: the view lives in `scratch` or in the
    // rules. Safe from several threads at once, each with its own scratch.
    std::string_view familyOf(std::string_view line, Scratch& scratch) const;

  private:
    struct Compiled;
    std::unique_ptr<Compiled> m_compiled;
};

} // namespace nomix
