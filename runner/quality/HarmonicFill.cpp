// Discrete harmonic interpolation with the uniform (umbrella) graph Laplacian, as in W. T. Tutte,
// "How to Draw a Graph", Proc. London Math. Soc. 13 (1963) 743-767, and M. Botsch et al.,
// "Polygon Mesh Processing" (2010), ch. 3: the free vertices' Laplacian rows form a sparse
// symmetric positive definite system, factorised once (Eigen's simplicial LDLT) and solved for
// each set of values.
#include "HarmonicFill.h"

#include <Eigen/SparseCholesky>
#include <Eigen/SparseCore>

#include <algorithm>
#include <stdexcept>

namespace quality {

struct HarmonicFill::Factor {
  Eigen::SimplicialLDLT<Eigen::SparseMatrix<double>> solver;
};

namespace {

// The free vertices of every piece that touches a fixed vertex.
std::vector<int> anchoredFreeVertices(const EdgeGraph& graph, const std::vector<Role>& roles) {
  const int n = graph.vertexCount();
  std::vector<char> seen(static_cast<size_t>(n), 0);
  std::vector<int> anchored, piece, work;
  for (int start = 0; start < n; ++start) {
    if (roles[static_cast<size_t>(start)] != Role::Free || seen[static_cast<size_t>(start)])
      continue;
    piece.clear();
    bool touchesFixed = false;
    work.assign(1, start);
    seen[static_cast<size_t>(start)] = 1;
    while (!work.empty()) {
      const int v = work.back();
      work.pop_back();
      piece.push_back(v);
      for (const int* u = graph.begin(v); u != graph.end(v); ++u) {
        const Role role = roles[static_cast<size_t>(*u)];
        touchesFixed = touchesFixed || role == Role::Fixed;
        if (role == Role::Free && !seen[static_cast<size_t>(*u)]) {
          seen[static_cast<size_t>(*u)] = 1;
          work.push_back(*u);
        }
      }
    }
    if (touchesFixed)
      anchored.insert(anchored.end(), piece.begin(), piece.end());
  }
  std::sort(anchored.begin(), anchored.end());
  return anchored;
}

} // namespace

HarmonicFill::HarmonicFill(const EdgeGraph& graph, const std::vector<Role>& roles)
    : anchored_(anchoredFreeVertices(graph, roles)),
      unknownOf_(static_cast<size_t>(graph.vertexCount()), -1), graph_(graph), roles_(roles),
      factor_(std::make_unique<Factor>()) {
  for (size_t row = 0; row < anchored_.size(); ++row)
    unknownOf_[static_cast<size_t>(anchored_[row])] = static_cast<int>(row);
  if (anchored_.empty())
    return;
  std::vector<Eigen::Triplet<double>> entries;
  for (size_t row = 0; row < anchored_.size(); ++row) {
    const int v = anchored_[row];
    double degree = 0;
    for (const int* u = graph.begin(v); u != graph.end(v); ++u) {
      const Role role = roles[static_cast<size_t>(*u)];
      if (role == Role::Outside)
        continue;
      degree += 1;
      if (role == Role::Free)
        entries.emplace_back(static_cast<int>(row), unknownOf_[static_cast<size_t>(*u)], -1.0);
    }
    entries.emplace_back(static_cast<int>(row), static_cast<int>(row), degree);
  }
  const auto size = static_cast<Eigen::Index>(anchored_.size());
  Eigen::SparseMatrix<double> laplacian(size, size);
  laplacian.setFromTriplets(entries.begin(), entries.end());
  factor_->solver.compute(laplacian);
  // Every anchored piece makes the matrix positive definite; a failure is a fault here.
  if (factor_->solver.info() != Eigen::Success)
    throw std::runtime_error("the harmonic system could not be factorised");
}

HarmonicFill::~HarmonicFill() = default;

void HarmonicFill::fill(std::vector<Vec3>& values) const {
  if (anchored_.empty())
    return;
  Eigen::MatrixXd sums = Eigen::MatrixXd::Zero(static_cast<Eigen::Index>(anchored_.size()), 3);
  for (size_t row = 0; row < anchored_.size(); ++row) {
    const int v = anchored_[row];
    for (const int* u = graph_.begin(v); u != graph_.end(v); ++u)
      if (roles_[static_cast<size_t>(*u)] == Role::Fixed) {
        const Vec3& value = values[static_cast<size_t>(*u)];
        const auto r = static_cast<Eigen::Index>(row);
        sums(r, 0) += value.x, sums(r, 1) += value.y, sums(r, 2) += value.z;
      }
  }
  const Eigen::MatrixXd solution = factor_->solver.solve(sums);
  for (size_t row = 0; row < anchored_.size(); ++row) {
    const auto r = static_cast<Eigen::Index>(row);
    values[static_cast<size_t>(anchored_[row])] =
        Vec3{static_cast<float>(solution(r, 0)), static_cast<float>(solution(r, 1)),
             static_cast<float>(solution(r, 2))};
  }
}

} // namespace quality
