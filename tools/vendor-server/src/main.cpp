// vendor-server: the stand-in vendor services on loopback, for demos and
// manual runs. It prints its address and the certificate clients must trust,
// then serves until interrupted.
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "VendorServer.h"

namespace {

void usage() {
  std::fputs(
      "usage: vendor-server [--port N] [--cert FILE --key FILE] [--cert-dir DIR]\n"
      "                     [--log FILE] [--port-file FILE] [--track-status TEXT]\n"
      "                     [--fail-track] [--fail-transfer] [--delay-ms N] [--empty-tools]\n"
      "                     [--keys-without-plan] [--config-failure] [--fail-prompts]\n"
      "                     [--plan UID] [--write-key KEY]\n"
      "Behaviour can also be changed while running: POST a JSON object to /control.\n",
      stderr);
}

}  // namespace

int main(int argc, char** argv) {
  vimbrel::vendor::ServerOptions options;
  std::string portFile;
  auto& b = options.behaviour;
  for (int i = 1; i < argc; ++i) {
    const std::string flag = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) {
        usage();
        std::exit(2);
      }
      return argv[++i];
    };
    if (flag == "--port")
      options.port = std::atoi(value().c_str());
    else if (flag == "--cert")
      options.certFile = value();
    else if (flag == "--key")
      options.keyFile = value();
    else if (flag == "--cert-dir")
      options.certFolder = value();
    else if (flag == "--log")
      options.logFile = value();
    else if (flag == "--port-file")
      portFile = value();
    else if (flag == "--track-status")
      b.trackStatus = value();
    else if (flag == "--fail-track")
      b.failTrack = true;
    else if (flag == "--fail-transfer")
      b.failTransfer = true;
    else if (flag == "--delay-ms")
      b.delayMs = std::atoi(value().c_str());
    else if (flag == "--empty-tools")
      b.emptyTools = true;
    else if (flag == "--keys-without-plan")
      b.keysWithoutPlan = true;
    else if (flag == "--config-failure")
      b.configFailure = true;
    else if (flag == "--fail-prompts")
      b.failPrompts = true;
    else if (flag == "--plan")
      b.planUid = value();
    else if (flag == "--write-key")
      b.writeKey = value();
    else {
      usage();
      return flag == "--help" ? 0 : 2;
    }
  }

  // Block the stop signals before the server threads start, then wait for one.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  vimbrel::vendor::VendorServer server(options);
  if (const std::string error = server.start(); !error.empty()) {
    std::fprintf(stderr, "vendor-server: %s\n", error.c_str());
    return 1;
  }
  std::printf("vendor-server listening on %s\ncertificate: %s\n", server.baseUrl().c_str(),
              server.certificateFile().c_str());
  std::fflush(stdout);
  if (!portFile.empty()) std::ofstream(portFile) << server.port() << '\n';

  int received = 0;
  sigwait(&stopSignals, &received);
  server.stop();
  return 0;
}
