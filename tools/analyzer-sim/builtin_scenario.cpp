// The stations played when no scenario file is given: two clean stations, one
// that overmodulates with a clock running ahead, and a weak distant one.
#include "scenario.h"

#include <QtGlobal>

namespace vantor::sim {

namespace {

const char builtInText[] = R"ini(
[94.2]
PI=A201
PS=VANTOR 1
RadioText=Vantor demo station one - all values in range
AVE=42.0
MAX=71.0
MAXHold=74.5
MIN=4.0
Pilot=6.8
RDS=4.0
Pm=0.8
Level=62.0
Quality=5
BlockErrorRate=0.01

[98.5]
PI=A202
PS=CITY FM
RadioText=City FM - news at the full hour
AVE=38.0
MAX=68.0
MAXHold=72.0
MIN=3.0
Pilot=7.0
RDS=3.6
Pm=0.2
Level=58.5
Quality=5
ClockOffset=0.4
BlockErrorRate=0.02

[101.1]
PI=A203
PS=LOUD FM
RadioText=Loud FM - the hottest hits, the loudest sound
AVE=56.0
MAX=84.0
MAXHold=88.0
MIN=12.0
Pilot=7.4
RDS=3.2
Pm=3.6
Level=66.0
Quality=5
ClockOffset=7
BlockErrorRate=0.01

[105.3]
PI=A204
PS=FAR AWAY
AVE=35.0
MAX=64.0
MAXHold=70.0
MIN=2.0
Pilot=6.5
RDS=2.4
Pm=-0.5
Level=27.0
Quality=2
BlockErrorRate=0.2
)ini";

} // namespace

Scenario Scenario::builtIn()
{
    QString error;
    auto scenario = parse(QByteArray(builtInText), &error);
    if (!scenario)
        qFatal("built-in scenario: %s", qPrintable(error));
    return *scenario;
}

} // namespace vantor::sim
