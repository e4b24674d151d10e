// Measured costs of in-process operations.
#include "cost_measure.h"

#include "bench_support.h"

namespace obrivo::bench {
namespace {

std::string Millis(double seconds) { return Fixed(seconds * 1000, 2) + " ms"; }

}  // namespace

Cost Measure(const std::function<void()>& prepare, const std::function<void()>& operation,
             int minCalls, double minSeconds) {
  Cost total;
  bool serverKnown = true;
  while (total.calls < minCalls || total.wall < minSeconds) {
    if (prepare) prepare();
    const Clocks start = Clocks::Now();
    operation();
    const Clocks spent = Clocks::Now() - start;
    total.wall += spent.wall;
    total.ownCpu += spent.ownCpu;
    if (spent.serverCpu < 0)
      serverKnown = false;
    else
      total.serverCpu += spent.serverCpu;
    ++total.calls;
  }
  const double n = total.calls;
  return Cost{total.wall / n, total.ownCpu / n, serverKnown ? total.serverCpu / n : -1,
              total.calls};
}

void Report(const std::string& name, const Cost& cost, const Cost* reference) {
  std::string text = "CPU " + Millis(cost.Cpu()) + " (own " + Millis(cost.ownCpu) +
                     ", Wine server " +
                     (cost.serverCpu < 0 ? std::string("unknown") : Millis(cost.serverCpu)) +
                     "), wall " + Millis(cost.wall) + ", " + std::to_string(cost.calls) + " calls";
  if (reference && reference->Cpu() > 0)
    text += "; " + Fixed(cost.Cpu() / reference->Cpu(), 1) + "x the reference's CPU, " +
            Fixed(cost.wall / reference->wall, 1) + "x its wall time";
  Figure(name, text);
}

}  // namespace obrivo::bench
