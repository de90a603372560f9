#include "engine/SheetCover.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <utility>

namespace kroyna::engine::improved {

namespace {

// A sheet as a column of the covering problem: copies per row (a row is a
// kind still to hold), never more than the row still needs.
struct Column {
  std::vector<std::pair<std::int32_t, std::int32_t>> counts;  // row, copies
};

constexpr double kEps = 1e-9;

// The linear relaxation min sum x_p subject to sum_p a_rp x_p >= need_r,
// x >= 0, by the revised simplex with B^-1 kept whole. The columns are
// 0..m-1 a single copy of row r (cost 1: a sheet holding that copy alone,
// which makes the starting basis feasible), m..2m-1 the surplus of row r
// (cost 0), and then the sheets of the pool, taken in by their reduced
// costs a few at a time (column generation).
class Relaxation {
 public:
  Relaxation(const std::vector<Column>& pool, const std::vector<std::int32_t>& need, CoverBudget& budget)
      : pool_(pool), m_(need.size()), budget_(budget), inverse_(m_ * m_, 0.0), dual_(m_, 1.0), value_(m_) {
    for (std::size_t r = 0; r < m_; ++r) {
      inverse_[r * m_ + r] = 1;
      value_[r] = need[r];
    }
    basis_.resize(m_);
    std::iota(basis_.begin(), basis_.end(), std::size_t{0});
  }

  // The optimum's value and the pool sheets it uses (index, x > 0); false
  // when the budget ran out first. The pool may have grown since the last
  // solve, which goes on from its basis.
  bool solve(double& value, std::vector<std::pair<std::size_t, double>>& x) {
    constexpr std::size_t kTakeIn = 25;
    in_.resize(pool_.size(), 0);
    std::vector<std::pair<double, std::size_t>> entering;
    for (;;) {
      if (!simplex()) return false;
      entering.clear();
      for (std::size_t p = 0; p < pool_.size(); ++p) {
        if (in_[p]) continue;
        budget_.spent += static_cast<std::int64_t>(pool_[p].counts.size());
        const double rc = reducedCost(pool_[p]);
        if (rc < -kEps) entering.emplace_back(rc, p);
      }
      if (entering.empty()) break;
      const std::size_t take = std::min(kTakeIn, entering.size());
      std::partial_sort(entering.begin(), entering.begin() + static_cast<std::ptrdiff_t>(take), entering.end());
      for (std::size_t i = 0; i < take; ++i) {
        in_[entering[i].second] = 1;
        columns_.push_back(entering[i].second);
      }
    }
    value = 0;
    x.clear();
    for (std::size_t r = 0; r < m_; ++r) {
      const std::size_t col = basis_[r];
      if (col < m_ || col >= 2 * m_) value += value_[r];
      if (col >= 2 * m_ && value_[r] > kEps) x.emplace_back(columns_[col - 2 * m_], value_[r]);
    }
    return true;
  }

  // 1 - u a for a sheet of the pool, u the duals of the last solve.
  double reducedCost(const Column& c) const {
    double rc = 1;
    for (const auto& [r, n] : c.counts) rc -= dual_[static_cast<std::size_t>(r)] * n;
    return rc;
  }

  // The dual of row r at the last solve.
  double dual(std::size_t r) const { return dual_[r]; }

 private:
  double cost(std::size_t col) const { return col >= m_ && col < 2 * m_ ? 0.0 : 1.0; }

  bool simplex() {
    std::vector<double> d(m_);
    for (;;) {
      budget_.spent += static_cast<std::int64_t>(m_ * m_ + 4 * columns_.size());
      if (budget_.spent > budget_.limit || (budget_.stop && budget_.stop->load(std::memory_order_relaxed)))
        return false;
      // Duals u = c_B B^-1.
      std::fill(dual_.begin(), dual_.end(), 0.0);
      for (std::size_t r = 0; r < m_; ++r) {
        if (cost(basis_[r]) == 0) continue;
        const double* row = &inverse_[r * m_];
        for (std::size_t j = 0; j < m_; ++j) dual_[j] += row[j];
      }
      // Entering: the most negative reduced cost (0: none, optimal).
      std::size_t enter = 0;
      double least = -kEps;
      for (std::size_t r = 0; r < m_; ++r) {
        if (1 - dual_[r] < least) least = 1 - dual_[r], enter = r + 1;
        if (dual_[r] < least) least = dual_[r], enter = m_ + r + 1;
      }
      for (std::size_t j = 0; j < columns_.size(); ++j) {
        const double rc = reducedCost(pool_[columns_[j]]);
        if (rc < least) least = rc, enter = 2 * m_ + j + 1;
      }
      if (enter == 0) return true;
      --enter;
      // d = B^-1 a of the entering column.
      if (enter < 2 * m_) {
        const std::size_t r0 = enter % m_;
        const double sign = enter < m_ ? 1.0 : -1.0;
        for (std::size_t r = 0; r < m_; ++r) d[r] = sign * inverse_[r * m_ + r0];
      } else {
        std::fill(d.begin(), d.end(), 0.0);
        for (const auto& [k, n] : pool_[columns_[enter - 2 * m_]].counts)
          for (std::size_t r = 0; r < m_; ++r) d[r] += inverse_[r * m_ + static_cast<std::size_t>(k)] * n;
      }
      // Leaving: the least ratio, ties to the lowest column; should
      // degenerate steps ever cycle, the budget ends them.
      std::size_t leave = m_;
      double ratio = 0;
      for (std::size_t r = 0; r < m_; ++r) {
        if (d[r] <= kEps) continue;
        const double q = value_[r] / d[r];
        if (leave == m_ || q < ratio - 1e-12 || (q < ratio + 1e-12 && basis_[r] < basis_[leave])) {
          leave = r;
          ratio = q;
        }
      }
      if (leave == m_) return false;  // unbounded: not with costs of 1
      const double pivot = d[leave];
      double* lead = &inverse_[leave * m_];
      for (std::size_t j = 0; j < m_; ++j) lead[j] /= pivot;
      value_[leave] /= pivot;
      for (std::size_t r = 0; r < m_; ++r) {
        if (r == leave || d[r] == 0) continue;
        double* row = &inverse_[r * m_];
        for (std::size_t j = 0; j < m_; ++j) row[j] -= d[r] * lead[j];
        value_[r] -= d[r] * value_[leave];
      }
      basis_[leave] = enter;
    }
  }

  const std::vector<Column>& pool_;
  std::size_t m_;
  CoverBudget& budget_;
  std::vector<double> inverse_, dual_, value_;
  std::vector<std::size_t> basis_;
  std::vector<std::size_t> columns_;  // pool sheets taken in
  std::vector<char> in_;              // per pool sheet: taken in
};

// The rows of a covering problem: the kinds with copies to hold.
struct Rows {
  Rows(const std::vector<std::int32_t>& demand, const std::vector<std::int64_t>& areas) : of(demand.size(), -1) {
    for (std::size_t k = 0; k < demand.size(); ++k) {
      if (demand[k] <= 0) continue;
      of[k] = static_cast<std::int32_t>(need.size());
      need.push_back(demand[k]);
      area.push_back(areas[k]);
      kind.push_back(static_cast<std::int32_t>(k));
    }
  }

  // A sheet's copies per row, kinds without a row left out.
  Column column(const std::vector<std::int32_t>& kinds) const {
    Column c;
    for (std::int32_t k : kinds) {
      const std::int32_t r = k >= 0 && static_cast<std::size_t>(k) < of.size() ? of[static_cast<std::size_t>(k)] : -1;
      if (r < 0) continue;
      if (!c.counts.empty() && c.counts.back().first == r)
        ++c.counts.back().second;
      else
        c.counts.emplace_back(r, 1);
    }
    return c;
  }

  std::vector<std::int32_t> of;  // per kind: its row, -1 none
  std::vector<std::int32_t> need, kind;
  std::vector<std::int64_t> area;
};

// Branch and bound: every cover holds a sheet with a copy of the row still
// short that the fewest sheets can give, so those sheets are tried in turn,
// those the relaxation uses most first. A sheet whose reduced cost lifts
// the relaxation over the target cannot be in a cover, nor can one that
// wastes more than the sheets left can spare.
class Search {
 public:
  Search(const CoverProblem& problem, std::int32_t target, CoverBudget& budget, bool dropAtRoot)
      : p_(problem), target_(target), budget_(budget), dropped_(!dropAtRoot) {
    const Rows rows(p_.demand, p_.area);
    need_ = rows.need;
    rowArea_ = rows.area;
    full_.reserve(p_.sheets.size());
    for (const auto& kinds : p_.sheets) full_.push_back(rows.column(kinds));
    ids_.resize(full_.size());
    std::iota(ids_.begin(), ids_.end(), std::size_t{0});
    // Each level of a plain dive solves once; a few more for going back.
    solvesLeft_ = 3 * target + 10;
  }

  std::vector<std::size_t> run() {
    if (!branch()) chosen_.clear();
    for (std::size_t& c : chosen_) c = ids_[c];
    return chosen_;
  }

 private:
  bool branch() {
    if (std::all_of(need_.begin(), need_.end(), [](std::int32_t n) { return n <= 0; })) return true;
    const auto used = static_cast<std::int32_t>(chosen_.size());
    if (used >= target_ || --solvesLeft_ < 0) return false;
    // The copies still needed per row, and the area the sheets left may waste.
    std::vector<std::int32_t> rows(need_.size());
    std::int64_t slack = static_cast<std::int64_t>(target_ - used) * p_.sheetArea;
    for (std::size_t r = 0; r < need_.size(); ++r) {
      rows[r] = std::max(0, need_[r]);
      slack -= rows[r] * rowArea_[r];
    }
    if (slack < 0) return false;
    pool_ = full_;
    for (Column& c : pool_) {
      std::int64_t held = 0;
      std::erase_if(c.counts, [&](auto& rc) {
        rc.second = std::min(rc.second, need_[static_cast<std::size_t>(rc.first)]);
        held += std::max(0, rc.second) * rowArea_[static_cast<std::size_t>(rc.first)];
        return rc.second <= 0;
      });
      if (p_.sheetArea - held > slack) c.counts.clear();
    }
    Relaxation lp(pool_, rows, budget_);
    double value = 0;
    std::vector<std::pair<std::size_t, double>> x;
    if (!lp.solve(value, x)) {
      out_ = true;
      return false;
    }
    const double room = target_ - used - value;
    if (room < -1e-6 || std::ceil(value - 1e-6) > target_ - used) return false;
    if (used == 0 && !dropped_) {
      // A sheet the root rules out is out of every cover: the search goes
      // on without it.
      dropped_ = true;
      std::vector<char> keep(pool_.size(), 0);
      for (const auto& [p, v] : x) keep[p] = 1;
      for (std::size_t p = 0; p < pool_.size(); ++p)
        if (!pool_[p].counts.empty() && lp.reducedCost(pool_[p]) <= room + 1e-6) keep[p] = 1;
      std::size_t n = 0;
      for (std::size_t p = 0; p < full_.size(); ++p) {
        if (!keep[p]) continue;
        full_[n] = std::move(full_[p]);
        ids_[n++] = ids_[p];
      }
      full_.resize(n);
      ids_.resize(n);
      ++solvesLeft_;
      return branch();
    }

    std::vector<double> share(pool_.size(), 0.0);
    for (const auto& [p, v] : x) share[p] = v;
    std::vector<std::pair<std::size_t, double>> candidates;  // sheet, reduced cost
    std::vector<std::int32_t> givers(need_.size(), 0);
    for (std::size_t p = 0; p < pool_.size(); ++p) {
      if (pool_[p].counts.empty()) continue;
      const double rc = share[p] > 0 ? 0.0 : lp.reducedCost(pool_[p]);
      if (rc > room + 1e-6) continue;
      candidates.emplace_back(p, rc);
      for (const auto& [r, n] : pool_[p].counts) ++givers[static_cast<std::size_t>(r)];
    }
    std::size_t row = need_.size();
    for (std::size_t r = 0; r < need_.size(); ++r)
      if (need_[r] > 0 && (row == need_.size() || givers[r] < givers[row])) row = r;
    if (givers[row] == 0) return false;
    std::erase_if(candidates, [&](const auto& c) {
      const auto& counts = pool_[c.first].counts;
      return std::none_of(counts.begin(), counts.end(),
                          [&](const auto& rc) { return static_cast<std::size_t>(rc.first) == row; });
    });
    std::stable_sort(candidates.begin(), candidates.end(), [&](const auto& a, const auto& b) {
      return share[a.first] != share[b.first] ? share[a.first] > share[b.first] : a.second < b.second;
    });
    for (const auto& [p, rc] : candidates) {
      chosen_.push_back(p);
      for (const auto& [r, n] : full_[p].counts) need_[static_cast<std::size_t>(r)] -= n;
      if (branch()) return true;
      for (const auto& [r, n] : full_[p].counts) need_[static_cast<std::size_t>(r)] += n;
      chosen_.pop_back();
      if (out_ || solvesLeft_ < 0) return false;
    }
    return false;
  }

  const CoverProblem& p_;
  std::int32_t target_;
  CoverBudget& budget_;
  std::vector<std::int32_t> need_;  // per row: copies still to hold (may go below 0)
  std::vector<std::int64_t> rowArea_;
  std::vector<Column> full_, pool_;  // the sheets whole, and cut down to what is needed now
  std::vector<std::size_t> ids_;     // per sheet of full_: its index in the problem
  std::vector<std::size_t> chosen_;
  std::int32_t solvesLeft_ = 0;
  bool dropped_;      // the sheets the root rules out are gone, or are to stay
  bool out_ = false;  // the budget ran out
};

}  // namespace

struct CoverRelaxation::Impl {
  Impl(const CoverProblem& problem, const std::vector<std::int32_t>& demand, CoverBudget& budget)
      : rows(demand, problem.area), lp(pool, rows.need, budget) {
    for (const auto& kinds : problem.sheets) add(kinds);
  }

  void add(const std::vector<std::int32_t>& kinds) {
    Column c = rows.column(kinds);
    for (auto& [r, n] : c.counts) n = std::min(n, rows.need[static_cast<std::size_t>(r)]);
    pool.push_back(std::move(c));
  }

  Rows rows;
  std::vector<Column> pool;
  Relaxation lp;
};

CoverRelaxation::CoverRelaxation(const CoverProblem& problem, CoverBudget& budget)
    : CoverRelaxation(problem, problem.demand, budget) {}
CoverRelaxation::CoverRelaxation(const CoverProblem& problem, const std::vector<std::int32_t>& demand,
                                 CoverBudget& budget)
    : impl_(std::make_unique<Impl>(problem, demand, budget)) {}
CoverRelaxation::~CoverRelaxation() = default;

void CoverRelaxation::add(const std::vector<std::int32_t>& kinds) { impl_->add(kinds); }

bool CoverRelaxation::solve(double& value, std::vector<double>& kindDuals,
                            std::vector<std::pair<std::size_t, double>>* sheets) {
  std::vector<std::pair<std::size_t, double>> x;
  if (!impl_->lp.solve(value, x)) return false;
  if (sheets) *sheets = x;
  kindDuals.assign(impl_->rows.of.size(), 0.0);
  for (std::size_t r = 0; r < impl_->rows.kind.size(); ++r)
    kindDuals[static_cast<std::size_t>(impl_->rows.kind[r])] = impl_->lp.dual(r);
  return true;
}

std::vector<std::size_t> CoverSheets(const CoverProblem& problem, std::int32_t target, CoverBudget& budget,
                                     bool dropAtRoot) {
  if (target <= 0 || problem.sheetArea <= 0) return {};
  return Search(problem, target, budget, dropAtRoot).run();
}

}  // namespace kroyna::engine::improved
