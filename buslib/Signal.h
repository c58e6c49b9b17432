#pragma once

#include <cstdint>
#include <deque>

namespace traxbus {

// The controller settings a process signal is driven by, as the instrument holds them.
struct PidSettings {
    bool active = false;    // PID function switched on (parameter 18, bit 0x10)
    double setPoint = 0;    // switch-on point of output 1
    double band = 0;        // proportional band, display units (switch-off point of output 1)
    double integralS = 0;   // parameter 15; 0: no integral action
    double derivativeS = 0; // parameter 16; 0: no derivative action
};

// What GetMeasurement answers over time: a fixed value, a ramp, a sine, noise, a step, or a
// heated process under the instrument's own PID controller.
struct Signal {
    enum class Kind { Constant, Ramp, Sine, Noise, Step, Process };
    Kind kind = Kind::Constant;

    double value = 0;       // constant
    double from = 0;        // ramp: from, to over period seconds, then again from the start
    double to = 0;
    double period = 1;      // ramp, sine
    double mean = 0;        // sine, noise
    double amplitude = 0;   // sine
    double spread = 0;      // noise: uniform within mean ± spread
    double before = 0;      // step: before until `at` seconds, after from then on
    double after = 0;
    double at = 0;
    double gain = 0;        // process: rise at full output, display units
    double timeConstant = 1; // process: seconds
    double deadTime = 0;    // process: seconds
    double start = 0;       // process: value with the output off (ambient)

    bool operator==(const Signal&) const = default;
};

// A process signal's state between two calls: integrated in fixed steps up to the time asked.
class ProcessState {
  public:
    static constexpr double kStepS = 0.1;
    double valueAt(const Signal& signal, const PidSettings& pid, double seconds);

  private:
    bool started_ = false;
    double time_ = 0;
    double value_ = 0;
    double integral_ = 0;
    double lastError_ = 0;
    double derivative_ = 0;
    std::deque<double> pending_; // controller outputs on their way through the dead time
};

// The signal's value `seconds` after the roster was opened (not for Process: see ProcessState).
double signalValue(const Signal& signal, double seconds);

} // namespace traxbus
