// The mean cost of an in-process operation, in CPU (this process's and the Wine server's) and
// wall time, measured over enough calls for the clocks' resolution.
#pragma once

#include <functional>
#include <string>

namespace obrivo::bench {

struct Cost {
  double wall = 0, ownCpu = 0, serverCpu = 0;  // seconds per call; serverCpu < 0: unknown
  int calls = 0;
  double Cpu() const { return ownCpu + (serverCpu > 0 ? serverCpu : 0); }
};

// Calls `operation` at least `minCalls` times and for at least `minSeconds` of wall time (the
// server's CPU counts in ticks of 10 ms) and returns the mean. `prepare` runs before each call,
// outside the measurement.
Cost Measure(const std::function<void()>& prepare, const std::function<void()>& operation,
             int minCalls = 5, double minSeconds = 3);

// Prints the cost as a figure, with its ratio to `reference` when one is given.
void Report(const std::string& name, const Cost& cost, const Cost* reference);

}  // namespace obrivo::bench
