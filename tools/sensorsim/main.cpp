#include "tools/sensorsim/AimSample.h"
#include "tools/sensorsim/CommandLine.h"
#include "tools/sensorsim/SensorSimulator.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <unistd.h>

// Runs a simulated serial sensor: prints the port the device control should open, streams a shooter's practice (one
// hold and shot after another, the same for the same --seed) over and over once the control starts the sensor, and
// takes "unplug", "plug" and "quit" on standard input. Without an input (a script, the background) it runs until it
// is stopped with SIGINT, SIGTERM or SIGHUP.
namespace {

int s_stopWrite = -1;

void stop(int)
{
    const char byte = 0;
    (void)!::write(s_stopWrite, &byte, 1); // Wakes the loop; nothing else is safe in a handler.
}

void report(sensorsim::SensorSimulator& simulator)
{
    const sensorsim::Observation state = simulator.observe();
    std::printf("probes answered %d, commands %zu, packets %zu, faults %zu\n", state.pnpAnswers, state.commands.size(),
                state.packetsSent, state.faults.size());
    for (const std::string& fault : state.faults) {
        std::printf("  fault: %s\n", fault.c_str());
    }
    std::fflush(stdout);
}

/// Carries out one command line; false for "quit".
bool command(const std::string& line, sensorsim::SensorSimulator& simulator)
{
    if (line == "quit") {
        return false;
    }
    if (line == "unplug") {
        simulator.unplug();
    } else if (line == "plug") {
        simulator.plugIn();
    } else if (!line.empty()) {
        std::printf("unknown command: %s\n", line.c_str());
    }
    report(simulator);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const auto line = sensorsim::parseCommandLine({argv + 1, static_cast<std::size_t>(argc - 1)});
    if (!line) {
        std::fprintf(stderr,
                     "sensorsim: %s\nusage: sensorsim [--seed N] [model 300|302|303|306|307] [COM number 1-256]\n",
                     line.error().detail.c_str());
        return 2;
    }
    int stopPipe[2];
    if (::pipe2(stopPipe, O_CLOEXEC) != 0) {
        std::perror("sensorsim: pipe");
        return 1;
    }
    s_stopWrite = stopPipe[1];
    struct sigaction action {};
    action.sa_handler = stop;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        ::sigaction(signal, &action, nullptr);
    }
    auto simulator = sensorsim::SensorSimulator::create(line->model);
    if (!simulator) {
        std::fprintf(stderr, "sensorsim: %s\n", simulator.error().detail.c_str());
        return 1;
    }
    const sensorsim::SensorProfile& profile = (*simulator)->profile();
    // A shooter's practice of 60 shots, then the same again.
    sensorsim::PracticeParameters practice;
    practice.sampleRate = profile.fixedSampleRate > 0 ? profile.fixedSampleRate : 200;
    practice.shots = 60;
    practice.seed = line->seed;
    (*simulator)->setScript(sensorsim::practiceScript(profile.kind, practice), /*loop=*/true);
    const std::string port = (*simulator)->programPath();
    std::printf("%s on %s\nthe device control opens it as COM%d with TALVO_SERIAL_PORTS=COM%d=%s in its environment\n"
                "commands: unplug, plug, quit (or stop it with Ctrl+C)\n",
                profile.modelName.c_str(), port.c_str(), line->comPort, line->comPort, port.c_str());
    std::fflush(stdout);

    pollfd watched[2] = {{stopPipe[0], POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
    std::string pending;
    while (true) {
        if (::poll(watched, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            std::perror("sensorsim: poll");
            return 1;
        }
        if (watched[0].revents != 0) {
            return 0;
        }
        if (watched[1].revents == 0) {
            continue;
        }
        char buffer[256];
        const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (count <= 0) {
            watched[1].fd = -1; // The input is gone: run on until a signal stops us.
            continue;
        }
        pending.append(buffer, static_cast<std::size_t>(count));
        for (std::size_t end = pending.find('\n'); end != std::string::npos; end = pending.find('\n')) {
            const std::string text = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (!command(text, **simulator)) {
                return 0;
            }
        }
    }
}
