// The measures on published worked examples, hand-worked cases, and brute force.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "count/cohen_kappa.h"
#include "count/nominal_alpha.h"
#include "count/passage_matching.h"
#include "count/tag_agreement.h"
#include "count/unitized_alpha.h"

namespace farrowdale {
namespace {

TEST(CohenKappaTest, PublishedThreeCategoryTableAndUndefinedCase) {
  // Cohen (1960): Po 0.70, Pe 0.41, kappa 0.492.
  const TKappa k = CohenKappa({{88, 14, 18}, {10, 40, 10}, {2, 6, 12}});
  EXPECT_NEAR(k.observed, 0.70, 1e-12);
  EXPECT_NEAR(k.expected, 0.41, 1e-12);
  ASSERT_TRUE(k.kappa);
  EXPECT_NEAR(*k.kappa, 0.29 / 0.59, 1e-12);
  EXPECT_NEAR(*k.kappa, 0.492, 5e-4);
  // Both coders put everything in one category: chance agreement is 1, kappa undefined.
  EXPECT_FALSE(CohenKappa({{7, 0}, {0, 0}}).kappa);
  EXPECT_FALSE(CohenKappa({{0, 0}, {0, 0}}).kappa);
}

TEST(NominalAlphaTest, PublishedTwelveUnitExample) {
  // Krippendorff (2004, p. 227): aa, ab, bb x4, bc, cc x5 -> Do 0.1667, De 0.6268, 0.734.
  TCoincidenceMatrix m(3);
  m.AddUnit({2, 0, 0});
  m.AddUnit({1, 1, 0});
  m.AddUnit({0, 2, 0}, 4);
  m.AddUnit({0, 1, 1});
  m.AddUnit({0, 0, 2}, 5);
  m.AddUnit({0, 1, 0}, 3);  // units with one value are not pairable
  EXPECT_DOUBLE_EQ(m.pairable_values(), 24);
  EXPECT_NEAR(m.Observed(), 4.0 / 24, 1e-12);
  EXPECT_NEAR(m.Expected(), 346.0 / 552, 1e-12);
  ASSERT_TRUE(m.Alpha());
  EXPECT_NEAR(*m.Alpha(), 0.734, 5e-4);
  TCoincidenceMatrix same(2);
  same.AddUnit({2, 0}, 9);
  EXPECT_FALSE(same.Alpha());
}

// For two coders who code every unit, alpha = 1 - (1 - pi)(n - 1)/n with Scott's pi and n
// the 2N values: an independent route to the same number.
TEST(NominalAlphaTest, AgreesWithScottsPiForTwoCoders) {
  std::mt19937 random(7);
  for (int round = 0; round < 200; ++round) {
    const size_t k = 2 + random() % 4;
    const int units = 2 + static_cast<int>(random() % 40);
    TCoincidenceMatrix m(k);
    std::vector<double> margins(k, 0);
    double agreeing = 0;
    for (int u = 0; u < units; ++u) {
      const size_t a = random() % k;
      const size_t b = random() % 3 == 0 ? a : random() % k;
      std::vector<int64_t> counts(k, 0);
      ++counts[a];
      ++counts[b];
      m.AddUnit(counts);
      margins[a] += 1;
      margins[b] += 1;
      agreeing += a == b ? 1 : 0;
    }
    const double n = 2.0 * units;
    double chance = 0;
    for (const double margin : margins) chance += (margin / n) * (margin / n);
    if (chance >= 1) continue;
    const double pi = (agreeing / units - chance) / (1 - chance);
    ASSERT_TRUE(m.Alpha());
    EXPECT_NEAR(*m.Alpha(), 1 - (1 - pi) * (n - 1) / n, 1e-9);
  }
}

TEST(UnitizedAlphaTest, HandWorkedCases) {
  // Identical coding.
  const TUnitizedDisagreement same = UnitizedDisagreement({{{2, 5}}, {{2, 5}}}, 10);
  EXPECT_EQ(same.observed, 0);
  ASSERT_TRUE(UnitizedAlpha(same));
  EXPECT_EQ(*UnitizedAlpha(same), 1);
  // One coder codes [2,5) of 10, the other nothing: d2 = 9 each way, Do = 18/200;
  // De = 0.2 * 9 * (3 + 8) / (20 * 19 - 6) = 19.8/374; alpha = -0.7.
  const TUnitizedDisagreement lone = UnitizedDisagreement({{{2, 5}}, {}}, 10);
  EXPECT_NEAR(lone.observed, 0.09, 1e-12);
  EXPECT_NEAR(lone.expected, 19.8 / 374, 1e-12);
  EXPECT_NEAR(*UnitizedAlpha(lone), -0.7, 1e-12);
  // The unit shifted by one character: d2 = 1 + 1 each way, Do = 4/200; each unit gives
  // (2 - 1)(54 - 27 + 3)/3 + 9 (3 + 1 + 2) = 64, De = 0.2 * 128 / 368; alpha = 0.7125.
  const TUnitizedDisagreement shifted = UnitizedDisagreement({{{2, 5}}, {{3, 6}}}, 10);
  EXPECT_NEAR(shifted.observed, 0.02, 1e-12);
  EXPECT_NEAR(shifted.expected, 25.6 / 368, 1e-12);
  EXPECT_NEAR(*UnitizedAlpha(shifted), 0.7125, 1e-12);
  // Nobody coded anything, or there is no text: undefined.
  EXPECT_FALSE(UnitizedAlpha(UnitizedDisagreement({{}, {}}, 10)));
  EXPECT_FALSE(UnitizedAlpha(UnitizedDisagreement({{}, {}}, 0)));
}

// Do and De term by term over every pair of segments and every gap, as the definition reads.
TUnitizedDisagreement BruteForce(const std::vector<std::vector<TInterval>>& coders, int64_t L) {
  struct Seg {
    double b, l;
    bool unit;
  };
  std::vector<std::vector<Seg>> segs(coders.size());
  for (size_t i = 0; i < coders.size(); ++i) {
    int64_t at = 0;
    for (const TInterval& u : coders[i]) {
      if (u.start > at) segs[i].push_back({double(at), double(u.start - at), false});
      segs[i].push_back({double(u.start), double(u.end - u.start), true});
      at = u.end;
    }
    if (L > at) segs[i].push_back({double(at), double(L - at), false});
  }
  auto inside = [](const Seg& in, const Seg& out) {
    return out.b <= in.b && in.b + in.l <= out.b + out.l;
  };
  double d = 0;
  for (size_t i = 0; i < segs.size(); ++i) {
    for (size_t j = 0; j < segs.size(); ++j) {
      if (i == j) continue;
      for (const Seg& g : segs[i]) {
        for (const Seg& h : segs[j]) {
          const bool overlap = std::min(g.b + g.l, h.b + h.l) > std::max(g.b, h.b);
          if (g.unit && h.unit && overlap) {
            d += (g.b - h.b) * (g.b - h.b) + (g.b + g.l - h.b - h.l) * (g.b + g.l - h.b - h.l);
          } else if (g.unit && !h.unit && inside(g, h)) {
            d += g.l * g.l;
          } else if (h.unit && !g.unit && inside(h, g)) {
            d += h.l * h.l;
          }
        }
      }
    }
  }
  const double m = double(coders.size());
  double units = 0, pairs = 0, num = 0;
  for (const auto& c : segs)
    for (const Seg& s : c) units += s.unit;
  for (const auto& c : segs) {
    for (const Seg& u : c) {
      if (!u.unit) continue;
      double room = 0;
      for (const auto& c2 : segs)
        for (const Seg& g : c2)
          if (!g.unit && g.l >= u.l) room += g.l - u.l + 1;
      num += (units - 1) * (2 * u.l * u.l * u.l - 3 * u.l * u.l + u.l) / 3 + u.l * u.l * room;
      pairs += u.l * (u.l - 1);
    }
  }
  return {d / (m * (m - 1) * double(L) * double(L)),
          (2 / double(L)) * num / (m * double(L) * (m * double(L) - 1) - pairs)};
}

TEST(UnitizedAlphaTest, MatchesTheDefinitionTermByTermForMCoders) {
  std::mt19937 random(11);
  for (int round = 0; round < 500; ++round) {
    const int64_t L = 1 + random() % 40;
    std::vector<std::vector<TInterval>> coders(2 + random() % 3);
    for (auto& coder : coders) {
      std::vector<TInterval> raw;
      for (int k = static_cast<int>(random() % 5); k > 0; --k) {
        const int64_t s = random() % L;
        raw.push_back({s, s + 1 + static_cast<int64_t>(random() % (L - s))});
      }
      coder = MergedIntervals(raw);
    }
    const TUnitizedDisagreement fast = UnitizedDisagreement(coders, L);
    const TUnitizedDisagreement slow = BruteForce(coders, L);
    ASSERT_NEAR(fast.observed, slow.observed, 1e-9 * (1 + slow.observed)) << round;
    ASSERT_NEAR(fast.expected, slow.expected, 1e-9 * (1 + slow.expected)) << round;
  }
}

TEST(PassageMatchingTest, ThresholdAndOneToOneGreedyByOverlap) {
  // 9 of a union of 10 is enough at 0.9, 8 is not.
  EXPECT_EQ(MatchPassages({{0, 10}}, {{1, 10}}).matched, 1);
  EXPECT_EQ(MatchPassages({{0, 10}}, {{1, 9}}).matched, 0);
  EXPECT_EQ(MatchPassages({{0, 10}}, {{1, 9}}, 0.8).matched, 1);
  // B's one passage goes to the A passage it overlaps most; the other stays A's alone.
  const TPassageMatching m = MatchPassages({{1, 10}, {0, 10}}, {{0, 10}}, 0.5);
  EXPECT_EQ(m.matched, 1);
  EXPECT_EQ(m.a_only, 1);
  EXPECT_EQ(m.b_only, 0);
  EXPECT_EQ(m.pairs, (std::vector<std::pair<size_t, size_t>>{{1, 0}}));
  // Empty passages match only their equal.
  EXPECT_EQ(MatchPassages({{4, 4}}, {{4, 4}, {4, 5}}).matched, 1);
}

TEST(PassageMatchingTest, CandidateSearchMissesNoPair) {
  std::mt19937 random(5);
  for (int round = 0; round < 500; ++round) {
    auto passages = [&] {
      std::vector<TInterval> list;
      for (int k = static_cast<int>(random() % 8); k > 0; --k) {
        const int64_t s = random() % 30;
        list.push_back({s, s + static_cast<int64_t>(random() % 12)});
      }
      return list;
    };
    const std::vector<TInterval> a = passages();
    const std::vector<TInterval> b = passages();
    // Every pair tried, the same greedy order.
    std::vector<std::tuple<int64_t, size_t, size_t>> all;
    for (size_t i = 0; i < a.size(); ++i) {
      for (size_t j = 0; j < b.size(); ++j) {
        const int64_t o =
            std::max<int64_t>(0, std::min(a[i].end, b[j].end) - std::max(a[i].start, b[j].start));
        const int64_t u = std::max(a[i].end, b[j].end) - std::min(a[i].start, b[j].start);
        if (a[i] == b[j] || (o > 0 && o >= 0.5 * u)) all.emplace_back(-o, i, j);
      }
    }
    std::sort(all.begin(), all.end());
    std::vector<bool> ta(a.size()), tb(b.size());
    int64_t matched = 0;
    for (const auto& [o, i, j] : all) {
      if (ta[i] || tb[j]) continue;
      ta[i] = tb[j] = true;
      ++matched;
    }
    ASSERT_EQ(MatchPassages(a, b, 0.5).matched, matched) << round;
  }
}

TEST(TagAgreementTest, CharacterMeasuresFromTwoCodersPassages) {
  // A codes [0,6) as two overlapping passages, B codes [3,8), in 10 characters.
  const TAgreementCounts c =
      CountTagAgreement({{0, 5}, {2, 6}}, {{3, 8}}, 10, MatchPassages({{0, 5}, {2, 6}}, {{3, 8}}));
  EXPECT_EQ(c.a_chars, 6);
  EXPECT_EQ(c.b_chars, 5);
  EXPECT_EQ(c.both_chars, 3);
  EXPECT_EQ(c.a_passages, 2);
  EXPECT_EQ(c.matched, 0);
  const TAgreementRow row = AgreementRow("t", "f.txt", c);
  // n11 3, n10 3, n01 2, n00 2: Po 0.5, pA 0.6, pB 0.5, Pe 0.5.
  EXPECT_NEAR(*row.percent_all, 0.5, 1e-12);
  EXPECT_NEAR(*row.percent_coded, 3.0 / 8, 1e-12);
  EXPECT_NEAR(*row.kappa, 0, 1e-12);
  // Values: coded 6 + 5 = 11, not coded 9 of n = 20; Do = 10/20, De = 2*11*9/(20*19).
  EXPECT_NEAR(*row.alpha, 1 - 0.5 / (198.0 / 380), 1e-12);
  // Neither coder coded anything: agreement on every character, no coefficient.
  const TAgreementRow none =
      AgreementRow("t", "f.txt", CountTagAgreement({}, {}, 10, TPassageMatching{}));
  EXPECT_EQ(none.percent_all, 1.0);
  EXPECT_FALSE(none.percent_coded || none.kappa || none.alpha || none.alpha_u);
}

}  // namespace
}  // namespace farrowdale
