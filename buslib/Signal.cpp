#include "Signal.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace traxbus {

namespace {

// The same time gives the same noise: tests and traces stay reproducible.
double noiseAt(double seconds) {
    uint64_t x = static_cast<uint64_t>(std::llround(seconds * 1000.0)) + 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    x ^= x >> 31;
    return static_cast<double>(x >> 11) / static_cast<double>(1ULL << 53) * 2.0 - 1.0; // -1 .. 1
}

} // namespace

double signalValue(const Signal& s, double t) {
    switch (s.kind) {
    case Signal::Kind::Constant:
        return s.value;
    case Signal::Kind::Ramp: {
        const double phase = std::fmod(t, s.period) / s.period;
        return s.from + (s.to - s.from) * phase;
    }
    case Signal::Kind::Sine:
        return s.mean + s.amplitude * std::sin(2.0 * std::numbers::pi * t / s.period);
    case Signal::Kind::Noise:
        return s.mean + s.spread * noiseAt(t);
    case Signal::Kind::Step:
        return t < s.at ? s.before : s.after;
    case Signal::Kind::Process:
        return s.start;
    }
    return s.value;
}

double ProcessState::valueAt(const Signal& s, const PidSettings& pid, double t) {
    if (!started_) {
        started_ = true;
        value_ = s.start;
        lastError_ = pid.setPoint - value_;
        const auto delaySteps = static_cast<std::size_t>(std::lround(s.deadTime / kStepS));
        pending_.assign(delaySteps, 0.0);
    }
    // Time runs forward only; a caller asking for an earlier moment gets the latest value.
    while (time_ + kStepS <= t + 1e-9) {
        double output = 0;
        if (pid.active && pid.band > 0) {
            const double error = pid.setPoint - value_;
            // The derivative is smoothed over an eighth of its time, as controllers do, so the
            // dead time does not make it chatter.
            if (pid.derivativeS > 0) {
                const double smoothing = pid.derivativeS / 8.0;
                derivative_ = (smoothing * derivative_ + pid.derivativeS * (error - lastError_)) / (smoothing + kStepS);
            }
            lastError_ = error;
            const double withoutIntegral = (error + derivative_) / pid.band;
            double integral = integral_;
            if (pid.integralS > 0) integral += error * kStepS / pid.integralS / pid.band;
            output = withoutIntegral + integral;
            // No wind-up: the integral only moves while the output is not pinned at a limit.
            if (output >= 0.0 && output <= 1.0) integral_ = integral;
            output = std::clamp(withoutIntegral + integral_, 0.0, 1.0);
        }
        pending_.push_back(output);
        const double acting = pending_.front();
        pending_.pop_front();
        value_ += (s.start + s.gain * acting - value_) * kStepS / s.timeConstant;
        time_ += kStepS;
    }
    return value_;
}

} // namespace traxbus
