#pragma once

// The conditional logit: one choice per race among its dogs, P(dog i wins) =
// exp(b.x_i) / sum over the field of exp(b.x_j), fitted by penalised maximum
// likelihood (a ridge penalty lambda/2 |b|^2) with Newton's method.

#include <span>
#include <vector>

#include <Eigen/Dense>

namespace vz::analysis {

// Races as rows of inputs, one row per dog, and the winner of each.
class ChoiceSet {
  public:
    explicit ChoiceSet(int inputs) : inputs_(inputs) { start_.push_back(0); }

    int inputs() const { return inputs_; }
    long races() const { return static_cast<long>(winner_.size()); }
    long dogs() const { return static_cast<long>(start_.back()); }

    // A race of rows.size() / inputs() dogs (at least one), won by row
    // `winner`.
    void addRace(std::span<const double> rows, int winner);
    // Drops every race from `races` on.
    void truncate(long races);

    long firstDog(long race) const { return start_[static_cast<std::size_t>(race)]; }
    int fieldSize(long race) const {
        return static_cast<int>(start_[static_cast<std::size_t>(race) + 1] -
                                start_[static_cast<std::size_t>(race)]);
    }
    int winner(long race) const { return winner_[static_cast<std::size_t>(race)]; }
    const double* row(long dog) const { return x_.data() + dog * inputs_; }
    // The same set with only the inputs whose `keep` is true.
    ChoiceSet select(const std::vector<bool>& keep) const;

  private:
    int inputs_;
    std::vector<double> x_;    // row-major
    std::vector<long> start_;  // first row of each race, then the end
    std::vector<int> winner_;  // row within its race
};

// The log-likelihood of `b` over the races (without the penalty), its
// gradient and, when asked, its Hessian.
struct Evaluation {
    double logLik = 0;
    Eigen::VectorXd gradient;
    Eigen::MatrixXd hessian;
};
Evaluation evaluate(const ChoiceSet& set, const Eigen::VectorXd& b, bool withHessian = true);

// Every dog equal: minus the sum over races of ln(field size).
double nullLogLikelihood(const ChoiceSet& set);

struct LogitFit {
    Eigen::VectorXd coef;
    Eigen::VectorXd stdErr;  // from the inverse of the penalised Hessian
    double logLik = 0;       // at the optimum, without the penalty
    int iterations = 0;
    bool converged = false;
    // Minus the penalised Hessian where the standard errors were taken.
    Eigen::MatrixXd curvature;
};

// Newton's method from `start` (zeros when empty) until no coefficient moves
// by more than `tolerance`. A step that would lower the penalised likelihood
// is halved. Needs penalty > 0 or inputs that tell the dogs apart.
inline constexpr double kFitTolerance = 1e-10;
// With `curvatureGuess` (the curvature of a fit of nearly the same races) it
// first takes steps with that curvature and the gradient alone, which cost a
// third of a Newton step each; when they do not settle it goes on by Newton.
LogitFit fitConditionalLogit(const ChoiceSet& set, double penalty,
                             const Eigen::VectorXd& start = {}, double tolerance = kFitTolerance,
                             const Eigen::MatrixXd* curvatureGuess = nullptr);

// Each of `dogs` dogs' chance from its row of inputs (coef.size() numbers a
// row); equal chances when there is no input.
std::vector<double> choiceChances(std::span<const double> rows, int dogs,
                                  const Eigen::VectorXd& coef);

}  // namespace vz::analysis
