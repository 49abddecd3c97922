#include "AimSample.h"
#include "SensorSimulator.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

// Runs a simulated serial sensor beside the program: prints the port to give the program, streams a hold with a
// shot over and over once the program starts the sensor, and takes "unplug", "plug" and "quit" on standard input.
int main(int argc, char** argv)
{
    const int model = argc > 1 ? std::atoi(argv[1]) : 300;
    const int com = argc > 2 ? std::atoi(argv[2]) : 1;
    auto simulator = sensorsim::SensorSimulator::create(model);
    if (!simulator) {
        std::fprintf(stderr, "sensorsim: %s\nusage: sensorsim [model 300|302|303|306|307] [COM number]\n",
                     simulator.error().detail.c_str());
        return 2;
    }
    const sensorsim::SensorProfile& profile = (*simulator)->profile();
    sensorsim::HoldParameters hold;
    hold.sampleRate = profile.fixedSampleRate > 0 ? profile.fixedSampleRate : 200;
    (*simulator)->setScript(sensorsim::holdWithShot(profile.kind, hold), /*loop=*/true);
    std::printf("%s on %s\nrun the program with TALVO_SERIAL_PORTS=COM%d=%s\ncommands: unplug, plug, quit\n",
                profile.modelName.c_str(), (*simulator)->programPath().c_str(), com,
                (*simulator)->programPath().c_str());
    std::fflush(stdout);
    std::string line;
    while (std::getline(std::cin, line) && line != "quit") {
        if (line == "unplug") {
            (*simulator)->unplug();
        } else if (line == "plug") {
            (*simulator)->plugIn();
        } else if (!line.empty()) {
            std::printf("unknown command: %s\n", line.c_str());
        }
        const sensorsim::Observation state = (*simulator)->observe();
        std::printf("probes answered %d, commands %zu, packets %zu, faults %zu\n", state.pnpAnswers,
                    state.commands.size(), state.packetsSent, state.faults.size());
        for (const std::string& fault : state.faults) {
            std::printf("  fault: %s\n", fault.c_str());
        }
        std::fflush(stdout);
    }
    return 0;
}
