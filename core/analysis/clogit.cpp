#include "core/analysis/clogit.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/base/error.h"

namespace vz::analysis {

namespace {

constexpr int kMaxIterations = 100;
constexpr int kMaxHalvings = 30;
constexpr int kMaxChordSteps = 12;
// Rows of centred inputs gathered before one product adds them to the Hessian.
constexpr long kBlockRows = 4096;

using RowMajor = Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>;

double penalised(const Evaluation& e, const Eigen::VectorXd& b, double penalty) {
    return e.logLik - 0.5 * penalty * b.squaredNorm();
}

}  // namespace

void ChoiceSet::addRace(std::span<const double> rows, int winner) {
    const long dogs = static_cast<long>(rows.size()) / inputs_;
    if (dogs < 1 || static_cast<long>(rows.size()) != dogs * inputs_ || winner < 0 ||
        winner >= dogs) {
        throw Error("A race for the fit needs whole rows of inputs and its winner among them.");
    }
    x_.insert(x_.end(), rows.begin(), rows.end());
    start_.push_back(start_.back() + dogs);
    winner_.push_back(winner);
}

void ChoiceSet::truncate(long races) {
    if (races >= this->races()) {
        return;
    }
    start_.resize(static_cast<std::size_t>(races) + 1);
    winner_.resize(static_cast<std::size_t>(races));
    x_.resize(static_cast<std::size_t>(start_.back() * inputs_));
}

ChoiceSet ChoiceSet::select(const std::vector<bool>& keep) const {
    ChoiceSet out(static_cast<int>(std::count(keep.begin(), keep.end(), true)));
    out.x_.reserve(static_cast<std::size_t>(dogs() * out.inputs_));
    for (long d = 0; d < dogs(); ++d) {
        const double* r = row(d);
        for (int i = 0; i < inputs_; ++i) {
            if (keep[static_cast<std::size_t>(i)]) {
                out.x_.push_back(r[i]);
            }
        }
    }
    out.start_ = start_;
    out.winner_ = winner_;
    return out;
}

Evaluation evaluate(const ChoiceSet& set, const Eigen::VectorXd& b, bool withHessian) {
    const int k = set.inputs();
    Evaluation e;
    e.gradient = Eigen::VectorXd::Zero(k);
    if (withHessian) {
        e.hessian = Eigen::MatrixXd::Zero(k, k);
    }
    if (set.dogs() == 0) {
        return e;
    }
    const Eigen::Map<const RowMajor> x(set.row(0), set.dogs(), k);
    const Eigen::VectorXd eta = x * b;
    Eigen::MatrixXd block(withHessian ? kBlockRows : 0, k);
    long filled = 0;
    const auto flush = [&] {
        // Without inputs there is nothing to add (and Eigen's product would
        // read through an empty block's null data).
        if (filled > 0 && k > 0) {
            const auto z = block.topRows(filled);
            // Only the lower half is summed: the Hessian is symmetric.
            e.hessian.selfadjointView<Eigen::Lower>().rankUpdate(z.transpose(), -1.0);
            filled = 0;
        }
    };
    Eigen::VectorXd mean(k);
    std::vector<double> p;
    for (long r = 0; r < set.races(); ++r) {
        const long first = set.firstDog(r);
        const int n = set.fieldSize(r);
        const auto etaR = eta.segment(first, n);
        const double top = etaR.maxCoeff();
        p.resize(static_cast<std::size_t>(n));
        double sum = 0;
        for (int j = 0; j < n; ++j) {
            p[static_cast<std::size_t>(j)] = std::exp(etaR[j] - top);
            sum += p[static_cast<std::size_t>(j)];
        }
        const int w = set.winner(r);
        e.logLik += etaR[w] - top - std::log(sum);
        mean.setZero();
        for (int j = 0; j < n; ++j) {
            p[static_cast<std::size_t>(j)] /= sum;
            mean.noalias() += p[static_cast<std::size_t>(j)] * x.row(first + j).transpose();
        }
        e.gradient.noalias() += x.row(first + w).transpose() - mean;
        if (withHessian) {
            if (filled + n > kBlockRows) {
                flush();
            }
            for (int j = 0; j < n; ++j) {
                block.row(filled++) = std::sqrt(p[static_cast<std::size_t>(j)]) *
                                      (x.row(first + j) - mean.transpose());
            }
        }
    }
    if (withHessian) {
        flush();
        e.hessian = e.hessian.selfadjointView<Eigen::Lower>();
    }
    return e;
}

double nullLogLikelihood(const ChoiceSet& set) {
    double ll = 0;
    for (long r = 0; r < set.races(); ++r) {
        ll -= std::log(static_cast<double>(set.fieldSize(r)));
    }
    return ll;
}

LogitFit fitConditionalLogit(const ChoiceSet& set, double penalty, const Eigen::VectorXd& start,
                             double tolerance, const Eigen::MatrixXd* curvatureGuess) {
    const int k = set.inputs();
    LogitFit fit;
    fit.coef = start.size() == k ? start : Eigen::VectorXd::Zero(k);
    if (curvatureGuess && curvatureGuess->rows() == k && k > 0) {
        const Eigen::LDLT<Eigen::MatrixXd> guess(*curvatureGuess);
        double last = std::numeric_limits<double>::infinity();
        for (int i = 0; i < kMaxChordSteps && guess.info() == Eigen::Success; ++i) {
            const Evaluation g = evaluate(set, fit.coef, false);
            const Eigen::VectorXd step = guess.solve(g.gradient - penalty * fit.coef);
            const double size = step.lpNorm<Eigen::Infinity>();
            if (!(size < last)) {
                break;  // not settling: Newton takes over from here
            }
            fit.coef += step;
            last = size;
            if (size < tolerance) {
                fit.converged = true;
                fit.iterations = i + 1;
                fit.logLik = g.logLik;
                fit.curvature = *curvatureGuess;
                const Eigen::MatrixXd inverse = guess.solve(Eigen::MatrixXd::Identity(k, k));
                fit.stdErr = inverse.diagonal().cwiseMax(0.0).cwiseSqrt();
                return fit;
            }
        }
    }
    const Eigen::MatrixXd ridge = penalty * Eigen::MatrixXd::Identity(k, k);
    Evaluation e = evaluate(set, fit.coef);
    Eigen::MatrixXd curvature = ridge - e.hessian;  // minus the penalised Hessian
    for (fit.iterations = 0; fit.iterations < kMaxIterations && k > 0; ++fit.iterations) {
        const Eigen::VectorXd slope = e.gradient - penalty * fit.coef;
        Eigen::LDLT<Eigen::MatrixXd> solver(curvature);
        if (solver.info() != Eigen::Success) {
            break;
        }
        Eigen::VectorXd step = solver.solve(slope);
        const double before = penalised(e, fit.coef, penalty);
        Evaluation next;
        Eigen::VectorXd tried;
        int halvings = 0;
        while (true) {
            tried = fit.coef + step;
            // A step below the tolerance is the last: the curvature of the
            // point before it serves for the standard errors.
            const bool last = step.lpNorm<Eigen::Infinity>() < tolerance;
            next = evaluate(set, tried, !last);
            if (penalised(next, tried, penalty) >= before - 1e-12 * std::abs(before) ||
                ++halvings > kMaxHalvings) {
                break;
            }
            step /= 2;
        }
        fit.coef = tried;
        e = std::move(next);
        if (step.lpNorm<Eigen::Infinity>() < tolerance) {
            fit.converged = true;
            ++fit.iterations;
            break;
        }
        curvature = ridge - e.hessian;
    }
    if (k == 0) {
        fit.converged = true;
    }
    fit.logLik = e.logLik;
    fit.stdErr = Eigen::VectorXd::Zero(k);
    if (k > 0) {
        const Eigen::MatrixXd inverse = curvature.ldlt().solve(Eigen::MatrixXd::Identity(k, k));
        fit.stdErr = inverse.diagonal().cwiseMax(0.0).cwiseSqrt();
    }
    fit.curvature = curvature;
    return fit;
}

std::vector<double> choiceChances(std::span<const double> rows, int dogs,
                                  const Eigen::VectorXd& coef) {
    const long k = coef.size();
    const long n = dogs;
    std::vector<double> p(static_cast<std::size_t>(std::max(0, dogs)), 0.0);
    if (n <= 0) {
        return p;
    }
    if (k == 0 || static_cast<long>(rows.size()) != n * k) {
        std::fill(p.begin(), p.end(), 1.0 / static_cast<double>(n));
        return p;
    }
    const Eigen::Map<const RowMajor> x(rows.data(), n, k);
    const Eigen::VectorXd eta = x * coef;
    const double top = eta.maxCoeff();
    double sum = 0;
    for (long j = 0; j < n; ++j) {
        p[static_cast<std::size_t>(j)] = std::exp(eta[j] - top);
        sum += p[static_cast<std::size_t>(j)];
    }
    for (double& v : p) {
        v /= sum;
    }
    return p;
}

}  // namespace vz::analysis
